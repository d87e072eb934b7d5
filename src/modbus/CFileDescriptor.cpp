#include "modbus/CFileDescriptor.h"

#include <unistd.h>

void CFileDescriptor::Reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}
