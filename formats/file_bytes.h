#pragma once
// Whole-file reading for the shared formats (standard library only; writing
// goes through the platform's atomic replace). A file that is not there and a
// file that is there but cannot be read are different answers: the first
// means "use the defaults and create it", the second "use the defaults and
// leave it alone", since it still holds the user's data.
#include <cstdint>
#include <string>
#include <vector>

namespace gv {

inline constexpr std::size_t kFileReadCap = 64u << 20;

enum class FileState {
    Read,       // the bytes are the file's (as far as the cap)
    Absent,     // there is no such file
    Unreadable, // the file (or something in its place) exists but could not be read
};

struct FileBytes {
    FileState state = FileState::Absent;
    std::vector<uint8_t> bytes;
    // False when the file goes on past the cap: a caller that writes the
    // file back must not write back a part.
    bool whole = true;
    // Why an unreadable file could not be read ("Permission denied").
    std::string reason;

    bool read() const { return state == FileState::Read; }
    bool unreadable() const { return state == FileState::Unreadable; }
};

// How a file was found, without its bytes: what a reader keeps to decide,
// later, whether the file may be written back.
struct FoundFile {
    FileState state = FileState::Absent;
    std::string reason; // why it could not be read
    bool whole = true;  // false: it goes on past what was read
};

inline FoundFile foundFile(const FileBytes& read) {
    return {read.state, read.reason, read.whole};
}

// What went wrong with a file that was read, for the log and the editor's
// messages ("geovista.loc cannot be read (Permission denied)", "geovista.loc
// is larger than the 67108864 bytes that are read"); empty when it was read
// whole or is not there.
std::string readProblem(const char* name, const FoundFile& file, std::size_t cap = kFileReadCap);

// The file's bytes, at most maxBytes of them, so that a huge file never
// forces a huge allocation.
FileBytes readFileBytes(const std::string& path, std::size_t maxBytes = kFileReadCap);

// After another reader failed on the file: whether it is absent, readable
// after all, or there but unreadable, and why. Opens it once more; reads
// one byte at most.
FileBytes checkReadable(const std::string& path);

} // namespace gv
