#pragma once

#include <cstddef>
#include <exception>
#include <thread>

// Below this many items a pass is not worth a second thread.
inline constexpr std::size_t WorthASecondThread = 20000;

// Runs work and gives back what it threw, if anything: an exception left on
// a thread of its own would end the program.
template<typename Work>
std::exception_ptr capturingException(Work &&work) noexcept
{
    try {
        work();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// Runs both at once, the second on a thread of its own. An exception from
// either is rethrown once both are done.
template<typename First, typename Second>
void onTwoThreads(First &&first, Second &&second)
{
    std::exception_ptr failures[2];
    {
        std::jthread worker([&] { failures[1] = capturingException(second); });
        failures[0] = capturingException(first);
    }
    for (const std::exception_ptr &failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

// Calls part(0, 0, n / 2) and part(1, n / 2, n): on two threads when there
// are two cores and enough items, else one after the other.
template<typename Part>
void inTwoHalves(std::size_t n, Part &&part)
{
    const std::size_t half = n / 2;
    if (n >= WorthASecondThread && std::thread::hardware_concurrency() >= 2) {
        onTwoThreads([&] { part(0, 0, half); }, [&] { part(1, half, n); });
    } else {
        part(0, 0, half);
        part(1, half, n);
    }
}
