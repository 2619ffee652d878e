// The framework's exceptions. They are thrown by value and caught by reference;
// each carries a cause and a message that says what was expected and what was
// found ("archive ended: needed 4 bytes, 1 left").
#pragma once

#include <exception>
#include <string>

#include "qvplatform/object.h"

class QVP_API CException : public CObject, public std::exception {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(std::string message = {});
    const char* what() const noexcept override { return m_message.c_str(); }

    // Copies the message into a caller's buffer, cut to fit and terminated.
    // FALSE when there is no room at all.
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;

protected:
    std::string m_message;
};

class QVP_API CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException();
};

// A caller broke an operation's precondition, such as asking an empty list for
// its head; thrown instead of touching memory that is not there.
class QVP_API CInvalidArgException : public CException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    explicit CInvalidArgException(std::string message = {});
};

class QVP_API CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none,
        genericException,
        readOnly,   // written to while loading
        endOfFile,  // the data ran out inside a value
        writeOnly,  // read from while storing
        badIndex,   // a class or object reference that names no earlier entry
        badClass,   // an unknown class, or not the class asked for
        badSchema,  // a class schema this build does not read
        overBudget,  // a record that would take more memory than the archive allows it
    };
    // Without a message, the cause's own description is used.
    explicit CArchiveException(int cause = none, std::string message = {});

    // A short description of `cause` in words ("archive ended").
    static const char* CauseName(int cause);

    int m_cause;
};

class QVP_API CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };
    // The message names the cause, the file and the system error:
    // "disk full: maps/a.map (errno 28: No space left on device)".
    CFileException(int cause = none, int osError = 0, std::string fileName = {});

    // The cause that an errno value stands for.
    static int OsErrorToException(int osError);
    static const char* CauseName(int cause);

    int m_cause;
    int m_lOsError;  // errno of the failing call, 0 when none
    std::string m_strFileName;
};

[[noreturn]] QVP_API void AfxThrowMemoryException();
[[noreturn]] QVP_API void AfxThrowInvalidArgException(std::string message = {});
[[noreturn]] QVP_API void AfxThrowArchiveException(int cause, std::string message = {});
[[noreturn]] QVP_API void AfxThrowFileException(int cause, int osError = 0,
                                                std::string fileName = {});
