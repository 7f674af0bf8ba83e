// Loaded with LD_PRELOAD, stands in for a confinement that lets a program bind local sockets to
// paths but refuses names in the abstract namespace, as some sandboxes do.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stddef.h>
#include <sys/socket.h>
#include <sys/un.h>

int bind(int fd, const struct sockaddr* address, socklen_t length)
{
    static int (*next)(int, const struct sockaddr*, socklen_t);
    const struct sockaddr_un* local = (const struct sockaddr_un*)address;
    if (address->sa_family == AF_UNIX && length > offsetof(struct sockaddr_un, sun_path)
        && local->sun_path[0] == '\0') {
        errno = EPERM;
        return -1;
    }
    if (!next)
        next = (int (*)(int, const struct sockaddr*, socklen_t))dlsym(RTLD_NEXT, "bind");
    return next(fd, address, length);
}
