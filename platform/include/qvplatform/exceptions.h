// The framework's exceptions. They are thrown by value and caught by reference;
// each carries a cause and a message that says what was expected and what was found.
#pragma once

#include <exception>
#include <string>

#include "qvplatform/object.h"

class QVP_API CException : public CObject, public std::exception {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(std::string message = {});
    const char* what() const noexcept override { return m_message.c_str(); }

protected:
    std::string m_message;
};

class QVP_API CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException();
};

class QVP_API CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
    };
    explicit CArchiveException(int cause = none, std::string message = {});

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
    CFileException(int cause = none, int osError = 0, std::string fileName = {});

    int m_cause;
    int m_lOsError;  // errno of the failing call, 0 when none
    std::string m_strFileName;
};

[[noreturn]] QVP_API void AfxThrowMemoryException();
[[noreturn]] QVP_API void AfxThrowArchiveException(int cause, std::string message = {});
[[noreturn]] QVP_API void AfxThrowFileException(int cause, int osError = 0, std::string fileName = {});
