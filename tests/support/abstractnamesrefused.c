// Loaded with LD_PRELOAD, stands in for a confinement (as some sandboxes are) that binds local
// sockets to paths but refuses names in the abstract namespace.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>

int bind(int fd, const struct sockaddr* address, socklen_t length)
{
    const struct sockaddr_un* local = (const struct sockaddr_un*)address;
    if (local->sun_family == AF_UNIX && length > sizeof(sa_family_t) && local->sun_path[0] == '\0')
        return errno = EPERM, -1;
    int (*next)(int, const struct sockaddr*, socklen_t) = dlsym(RTLD_NEXT, "bind");
    return next(fd, address, length);
}
