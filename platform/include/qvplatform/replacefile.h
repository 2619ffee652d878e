// A file that replaces another whole or not at all, for saving: a failed save must leave
// what was there, byte for byte.
#pragma once

#include <string>

#include "qvplatform/file.h"

// What is written goes to a new file in the folder of the file a name leads to; Commit
// flushes it to the disk, renames it over the old file and flushes the folder. Until Commit
// succeeds the old file is untouched; a file closed, aborted or destroyed before then takes
// its new file away with it. A symbolic link is followed to the file it leads to (through
// any chain of links): that file is replaced and the link stays a link. The new file takes
// the old one's mode and, where the process may set them, its owner and group.
class QVP_API CReplacementFile : public CFile {
    DECLARE_DYNAMIC(CReplacementFile)
public:
    CReplacementFile() = default;
    ~CReplacementFile() override;  // removes an uncommitted new file

    // nOpenFlags as for CFile, but the new file is always open for reading and writing and
    // no lock is taken on it (nobody else knows its name). Without modeCreate a missing
    // file is an error. With modeNoTruncate the new file starts as a copy of the old one,
    // positioned at its start, so that writing over it gives what writing over the old file
    // in place would. Errors name lpszFileName, as do those of later reads and writes.
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    // Makes the new contents the file's. Throws CFileException; the old file is then as it
    // was and the new one is gone. The file is closed either way.
    void Commit();
    void Close() override { Abort(); }  // closing without Commit keeps the old file
    void Abort() override;

    // The file that Commit replaces (links followed), and the new file's own name.
    const std::string& GetTargetPath() const { return m_strTarget; }
    const std::string& GetNewPath() const { return m_strNew; }

private:
    std::string m_strTarget;
    std::string m_strNew;
};
