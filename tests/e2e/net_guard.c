/* Loaded into a program by LD_PRELOAD for an end-to-end run, and inherited by every process it
 * starts (the web engine's among them): each connect(), sendto(), sendmsg() or sendmmsg() to an
 * address off this machine, and each look-up of a name other than localhost, is written as one
 * line to the file named by LEXORA_NET_LOG and refused, so the run can prove that nothing left
 * the machine, name look-ups included. Unix and netlink sockets and the loopback addresses pass.
 * Without LEXORA_NET_LOG every call passes untouched. */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static const char* logPath(void)
{
    const char* p = getenv("LEXORA_NET_LOG");
    return p && *p ? p : NULL;
}

/* One whole line per write, with the process that asked: several processes append at once. */
static void note(const char* what)
{
    char comm[32] = "?", line[512];
    int fd = open("/proc/self/comm", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ssize_t n = read(fd, comm, sizeof comm - 1);
        comm[n > 0 ? n : 0] = 0;
        comm[strcspn(comm, "\n")] = 0;
        close(fd);
    }
    int len = snprintf(line, sizeof line, "%d %s %s\n", (int)getpid(), comm, what);
    fd = open(logPath(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (write(fd, line, len > (int)sizeof line - 1 ? (int)sizeof line - 1 : len) < 0) {
    }
    close(fd);
}

/* True for an address that stays on this machine. */
static int local(const struct sockaddr* a)
{
    if (!a)
        return 1;
    switch (a->sa_family) {
    case AF_UNIX:
    case AF_NETLINK:
    case AF_UNSPEC:
        return 1;
    case AF_INET:
        return (ntohl(((const struct sockaddr_in*)a)->sin_addr.s_addr) >> 24) == 127;
    case AF_INET6: {
        const struct in6_addr* x = &((const struct sockaddr_in6*)a)->sin6_addr;
        return IN6_IS_ADDR_LOOPBACK(x) || (IN6_IS_ADDR_V4MAPPED(x) && x->s6_addr[12] == 127);
    }
    default:
        return 0;
    }
}

/* Notes a call to `a` off the machine; true when it must be refused. */
static int refused(const char* call, const struct sockaddr* a)
{
    if (!logPath() || local(a))
        return 0;
    char host[INET6_ADDRSTRLEN] = "?", what[128];
    int port = 0;
    if (a->sa_family == AF_INET) {
        inet_ntop(AF_INET, &((const struct sockaddr_in*)a)->sin_addr, host, sizeof host);
        port = ntohs(((const struct sockaddr_in*)a)->sin_port);
    } else if (a->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &((const struct sockaddr_in6*)a)->sin6_addr, host, sizeof host);
        port = ntohs(((const struct sockaddr_in6*)a)->sin6_port);
    } else {
        snprintf(host, sizeof host, "family-%d", a->sa_family);
    }
    snprintf(what, sizeof what, "%s %s port %d", call, host, port);
    note(what);
    errno = ENETUNREACH;
    return 1;
}

/* A name whose look-up asks no server: a numeric address or localhost. */
static int localName(const char* name)
{
    unsigned char buf[sizeof(struct in6_addr)];
    if (!name || inet_pton(AF_INET, name, buf) == 1 || inet_pton(AF_INET6, name, buf) == 1)
        return 1;
    size_t n = strlen(name);
    if (n && name[n - 1] == '.')
        --n;
    static const char* const names[] = {"localhost", "localhost.localdomain", "ip6-localhost", "ip6-loopback"};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (strlen(names[i]) == n && strncasecmp(name, names[i], n) == 0)
            return 1;
    return n > 10 && strncasecmp(name + n - 10, ".localhost", 10) == 0;
}

static int refusedName(const char* call, const char* name)
{
    if (!logPath() || localName(name))
        return 0;
    char what[320];
    snprintf(what, sizeof what, "%s %.280s", call, name);
    note(what);
    return 1;
}

int connect(int fd, const struct sockaddr* a, socklen_t len)
{
    return refused("connect", a) ? -1 : NEXT(connect)(fd, a, len);
}

ssize_t sendto(int fd, const void* buf, size_t n, int flags, const struct sockaddr* a, socklen_t len)
{
    return refused("sendto", a) ? -1 : NEXT(sendto)(fd, buf, n, flags, a, len);
}

ssize_t sendmsg(int fd, const struct msghdr* m, int flags)
{
    return refused("sendmsg", m ? (const struct sockaddr*)m->msg_name : NULL) ? -1 : NEXT(sendmsg)(fd, m, flags);
}

int sendmmsg(int fd, struct mmsghdr* v, unsigned int n, int flags)
{
    for (unsigned int i = 0; i < n; ++i)
        if (refused("sendmmsg", (const struct sockaddr*)v[i].msg_hdr.msg_name))
            return -1;
    return NEXT(sendmmsg)(fd, v, n, flags);
}

int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints, struct addrinfo** res)
{
    return refusedName("resolve", node) ? EAI_NONAME : NEXT(getaddrinfo)(node, service, hints, res);
}

struct hostent* gethostbyname(const char* name)
{
    if (refusedName("resolve", name)) {
        h_errno = HOST_NOT_FOUND;
        return NULL;
    }
    return NEXT(gethostbyname)(name);
}

struct hostent* gethostbyname2(const char* name, int af)
{
    if (refusedName("resolve", name)) {
        h_errno = HOST_NOT_FOUND;
        return NULL;
    }
    return NEXT(gethostbyname2)(name, af);
}

int gethostbyname_r(const char* name, struct hostent* ret, char* buf, size_t len, struct hostent** result, int* err)
{
    if (refusedName("resolve", name)) {
        *result = NULL;
        *err = HOST_NOT_FOUND;
        return 0;
    }
    return NEXT(gethostbyname_r)(name, ret, buf, len, result, err);
}

int gethostbyname2_r(const char* name, int af, struct hostent* ret, char* buf, size_t len, struct hostent** result,
                     int* err)
{
    if (refusedName("resolve", name)) {
        *result = NULL;
        *err = HOST_NOT_FOUND;
        return 0;
    }
    return NEXT(gethostbyname2_r)(name, af, ret, buf, len, result, err);
}
