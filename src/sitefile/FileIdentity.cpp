// Owner, group, extended attributes and mode, copied from file to file.
#include "FileIdentity.h"

#include <cerrno>
#include <string_view>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace marlow {

namespace {

// Errors that mean "this user may not", as opposed to "something broke".
bool refused(int error) {
    return error == EPERM || error == EACCES || error == ENOTSUP;
}

// The names of the file's extended attributes, NUL-separated; none where
// the file system has none.
Result<std::vector<char>> attributeNames(int fd) {
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? std::vector<char>{}
                                    : Result<std::vector<char>>(fail(Error::fromErrno({})));
        std::vector<char> names(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return names;
        }
        if (errno != ERANGE) // grown meanwhile: ask again
            return fail(Error::fromErrno({}));
    }
}

Result<std::vector<char>> attributeValue(int fd, const char* name) {
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
        if (size < 0)
            return fail(Error::fromErrno(name));
        std::vector<char> value(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name, value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return value;
        }
        if (errno != ERANGE)
            return fail(Error::fromErrno(name));
    }
}

} // namespace

Result<bool> copyIdentity(int from, const struct stat& old, int to) {
    if (::fchown(to, old.st_uid, old.st_gid) != 0)
        return refused(errno) ? Result<bool>(false) : fail(Error::fromErrno({}));

    const Result<std::vector<char>> names = attributeNames(from);
    if (!names)
        return fail(names.error());
    for (std::size_t at = 0; at < names->size();) {
        const char* name = names->data() + at;
        at += std::string_view(name).size() + 1;
        const Result<std::vector<char>> value = attributeValue(from, name);
        if (!value) {
            if (value.error().systemError == ENODATA) // removed meanwhile
                continue;
            return fail(value.error());
        }
        if (::fsetxattr(to, name, value->data(), value->size(), 0) != 0)
            return refused(errno) ? Result<bool>(false) : fail(Error::fromErrno(name));
    }
    // Last: a change of owner clears the set-id bits, and an access control
    // list sets the group bits from its mask.
    if (::fchmod(to, old.st_mode & 07777) != 0)
        return refused(errno) ? Result<bool>(false) : fail(Error::fromErrno({}));
    return true;
}

} // namespace marlow
