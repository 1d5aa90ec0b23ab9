#pragma once

#include <cstddef>
#include <exception>
#include <thread>

// Runs both at once, the second on a thread of its own. An exception from
// either is rethrown once both are done; one left on the thread would end
// the program.
template<typename First, typename Second>
void onTwoThreads(First &&first, Second &&second)
{
    std::exception_ptr failures[2];
    {
        std::jthread worker([&] {
            try {
                second();
            } catch (...) {
                failures[1] = std::current_exception();
            }
        });
        try {
            first();
        } catch (...) {
            failures[0] = std::current_exception();
        }
    }
    for (const std::exception_ptr &failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

// Calls part(0, 0, n / 2) and part(1, n / 2, n): on two threads when there
// are two cores and at least `worthIt` items, else one after the other.
template<typename Part>
void inTwoHalves(std::size_t n, std::size_t worthIt, Part &&part)
{
    const std::size_t half = n / 2;
    if (n >= worthIt && std::thread::hardware_concurrency() >= 2) {
        onTwoThreads([&] { part(0, 0, half); }, [&] { part(1, half, n); });
    } else {
        part(0, 0, half);
        part(1, half, n);
    }
}
