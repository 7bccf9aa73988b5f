#pragma once
// Replacing a file so that it is never seen half written: the bytes go to a
// temporary file in the same folder, which is flushed to disk and then renamed
// over the old file. On any failure the old file stays as it was.
//
// The replaced file keeps what the user gave it: its mode (and, where this
// user may, its owner and group), and a symbolic link stays a link: the file
// it leads to is the one replaced. A file this user may not write is not
// replaced, as a plain write would not have replaced it either.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace gv::platform {

// False when the file could not be replaced; failure, when given, then says
// why in the system's words ("Permission denied").
bool replaceFileContents(const std::string& path, std::span<const uint8_t> bytes,
                         std::string* failure = nullptr);

// Puts a finished file in the place of another in one step (a download kept
// aside until it is complete); the old file stays when this fails.
bool moveFileReplacing(const std::string& from, const std::string& to);

// Pushes what was written to an open file through to the disk, so that a
// rename that follows never puts an empty or half-written file in place
// after a crash. False when either step fails.
bool flushFileToDisk(std::FILE* file);

// Test seam: called after the temporary file holds its first half and before
// the rename, so a test can stop a process in the middle of a save.
using AtomicWriteHook = void (*)(const std::string& tempPath);
void setAtomicWriteHook(AtomicWriteHook hook);

} // namespace gv::platform
