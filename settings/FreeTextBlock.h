// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"
#include "platform/FileDescriptor.h"

namespace qm {

// The "~qm" temporary file of one free-text block, made by RegIni::GetTempFile. Opened once
// without following symlinks and checked to be that new empty file of ours, then written and
// read through that one descriptor, so a file swapped in by another user is never touched.
// Removed when it goes, and by RemoveScratchFileOnSignals' handlers. Throws FileError.
class ScratchFile {
public:
    ScratchFile();
    // Takes over the file GetTempFile has just made at path.
    explicit ScratchFile(std::string path);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const noexcept { return m_path; }
    int fd() const noexcept { return m_fd.get(); }

private:
    std::string m_path;
    FileDescriptor m_fd;
};

// Frames free text as FrameFreeText does, after a round trip through a ScratchFile: the text
// is saved with Utility::FileSave (which ends it with CR LF, so empty text gives one body
// line) and read back. The file is deleted on every path. Throws FileError, carrying the
// operating system's reason, when it cannot be created, written or read.
std::string BuildFreeTextBlock(std::string_view freeText, DevelopmentLanguage language);

// Makes SIGTERM, SIGHUP and SIGINT remove a scratch file in use, then end the process as the
// signal would have; a signal already ignored stays ignored. For a program's main.
void RemoveScratchFileOnSignals();

}  // namespace qm
