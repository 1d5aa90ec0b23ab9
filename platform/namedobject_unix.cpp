#include "platform/namedobject.h"

#include <fcntl.h>
#include <semaphore.h>

#include <string>

NamedSystemObject::NamedSystemObject(const char *name)
{
    const std::string path = std::string("/") + name;
    sem_t *sem = sem_open(path.c_str(), O_CREAT, 0600, 1);
    if (sem != SEM_FAILED)
        m_handle = sem;
}

NamedSystemObject::~NamedSystemObject()
{
    if (m_handle)
        sem_close(static_cast<sem_t *>(m_handle));
}
