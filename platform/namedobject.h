#pragma once

// A named system object that lives as long as this value. Nothing checks it:
// a second instance of the program creates its own and runs normally.
class NamedSystemObject
{
public:
    explicit NamedSystemObject(const char *name);
    ~NamedSystemObject();
    NamedSystemObject(const NamedSystemObject &) = delete;
    NamedSystemObject &operator=(const NamedSystemObject &) = delete;

    bool isOpen() const { return m_handle != nullptr; }

private:
    void *m_handle = nullptr;
};
