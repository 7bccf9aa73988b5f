#include "formats/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace gv {

namespace {

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// The C library says why an open failed; only "no such file" means absent
// (a sharing violation or a denied access on Windows arrive as EACCES).
File openForReading(const std::string& path, FileBytes& out) {
    errno = 0;
    File f(std::fopen(path.c_str(), "rb"));
    if (f) {
        out.state = FileState::Read;
        return f;
    }
    const int error = errno;
    if (error == ENOENT) {
        out.state = FileState::Absent;
    } else {
        out.state = FileState::Unreadable;
        out.reason = error ? std::generic_category().message(error) : "cannot be opened";
    }
    return f;
}

void readFailed(FileBytes& out, int error) {
    out.state = FileState::Unreadable;
    out.bytes.clear();
    out.whole = true;
    out.reason = error ? std::generic_category().message(error) : "read error";
}

} // namespace

FileBytes readFileBytes(const std::string& path, std::size_t maxBytes) {
    FileBytes out;
    File f = openForReading(path, out);
    if (!f) return out;
    uint8_t chunk[16384];
    bool ended = false;
    while (out.bytes.size() < maxBytes) {
        const std::size_t want = std::min(sizeof chunk, maxBytes - out.bytes.size());
        errno = 0;
        const std::size_t got = std::fread(chunk, 1, want, f.get());
        out.bytes.insert(out.bytes.end(), chunk, chunk + got);
        if (got < want) {
            // A folder in the file's place opens, and fails here.
            if (std::ferror(f.get())) {
                readFailed(out, errno);
                return out;
            }
            ended = true;
            break;
        }
    }
    // At the cap: the file is whole only if nothing follows.
    if (!ended) {
        errno = 0;
        const int next = std::fgetc(f.get());
        if (next == EOF && std::ferror(f.get())) {
            readFailed(out, errno);
            return out;
        }
        ended = next == EOF;
    }
    out.whole = ended;
    return out;
}

std::string readProblem(const char* name, const FoundFile& file, std::size_t cap) {
    if (file.state == FileState::Unreadable)
        return std::string(name) + " cannot be read (" + file.reason + ")";
    if (file.state == FileState::Read && !file.whole)
        return std::string(name) + " is larger than the " + std::to_string(cap) +
               " bytes that are read";
    return {};
}

FileBytes checkReadable(const std::string& path) {
    FileBytes out;
    File f = openForReading(path, out);
    if (!f) return out;
    errno = 0;
    if (std::fgetc(f.get()) == EOF && std::ferror(f.get())) readFailed(out, errno);
    return out;
}

} // namespace gv
