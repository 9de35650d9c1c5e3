#pragma once

// ICompileSite: what the e-book compiler driver needs of the control that runs it: the
// host object (progress with the abort answer, error text), the compiler call-back, the
// error convention, the progress fields and what a build has set up for the compile step.

#include <map>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "platform/base/CString.h"
#include "sdk/compiler/CompilerCallback.h"

class ICompileSite {
public:
    virtual IFilterHost* GetHost() = 0;
    virtual CCompilerCallback& GetCompilerCallback() = 0;
    // The control's current line, which the encoder updates as it writes.
    virtual LONG* GetCurrentLine() = 0;
    virtual BOOL IsAbortRequested() const = 0;

    // The control's error convention: the code is stored; a given text replaces the
    // details; the compiler's first error text wins over both.
    virtual void SetError(LONG code) = 0;
    virtual void SetError(LONG code, const CString& details) = 0;
    virtual const CString& GetErrorDetails() const = 0;

    // Progress: total and done units := 0, the step and an empty detail.
    virtual void ResetProgress(LONG step) = 0;
    virtual void SetProgressTotal(LONGLONG total) = 0;
    virtual void SetProgressDetail(const CString& detail) = 0;
    virtual void FireUpdateProgress(LONG percent, LONG step, const CString& details) = 0;

    // The value of the setting "ForceOEBLitgen", handed to the compiler unchanged.
    virtual LONG GetForceOEBFlag() = 0;
    // The file paths of the manifest's items (the sources, not their work copies).
    virtual std::vector<CString> GetManifestFilePaths() const = 0;
    virtual const std::map<std::string, std::string>& GetOutsideWorkPaths() const = 0;
    virtual const std::map<std::string, std::string>& GetConvertedWorkPaths() const = 0;
    // The build's source folder and work folder, from which the pages' relative links are
    // read; empty when the site has none (links are then looked up as written).
    virtual CString GetSourceFolder() const { return {}; }
    virtual CString GetWorkFolder() const { return {}; }
    // The style sheet to link into every HTML item; empty for none.
    virtual CString GetStyleSheetToLink() const = 0;
    // The work copies of the package's pages, in manifest order: the HTML items the
    // compiler is expected to ask for, which the driver may encode ahead of time.
    virtual std::vector<CString> GetPageWorkPaths() const { return {}; }
    // How many worker threads may encode pages ahead of the compiler (1: none).
    virtual size_t GetEncodingWorkers() const { return 1; }

protected:
    ~ICompileSite() = default;
};
