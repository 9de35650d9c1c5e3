#pragma once

// Drives one build through the build control exactly as an automation client does:
// creates the control by its ProgID, connects an event sink, then Initialize,
// AddSourceFile for each source (in the reading order), AddMetaData, AddGuideItem,
// CreateTourFromTOC, PrepareEBook (reporting missing and outside files and going on)
// and BuildEBook.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/DispatchDriver.h"
#include "tools/build-book/BookOptions.h"

// Exit status of a build: 0 on success; the control's error code when a method failed
// with one; these two for what the control's codes cannot say.
inline constexpr int kExitUsage = 2;           // the command line is wrong
inline constexpr int kExitControlFailure = 3;  // no control, a refused call, or a failure without a code

class CBookBuilder {
public:
    // Progress and messages go to `out`, errors to `err`.
    CBookBuilder(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    // Runs the whole build; returns the exit status.
    int Build(const CBookOptions& options);

private:
    // Each step returns false when the build ends there; the failure has been
    // reported and the exit status set.
    bool CreateControl();
    bool Initialize();
    bool AddSources(const CBookOptions& options);
    bool AddMetaData(const CBookOptions& options);
    bool AddTableOfContents(const CBookOptions& options, const std::string& sourceFolder);
    bool Prepare();
    bool BuildEBook(const CBookOptions& options, const std::string& outputPath);

    // Calls a method of the control. A call the control refuses as a call (rather than
    // answering FALSE) is reported, sets the exit status and gives false.
    bool Call(DISPID dispid, const char* name, const std::vector<leaf::Variant>& arguments, leaf::Variant& answer);
    // A method answering a BOOL: true when the call went through and the answer is TRUE.
    bool CallBool(DISPID dispid, const char* name, const std::vector<leaf::Variant>& arguments = {});
    // Reports the control's error code and details for a failed step; returns false.
    bool Fail(const std::string& what);
    void PrintCollection(const char* label, DISPID dispid, const char* name);

    std::FILE* m_out;
    std::FILE* m_err;
    leaf::DispatchDriver m_control;
    int m_exitStatus = 0;
};

// The folder that holds every path given (the longest common folder); empty when the
// paths share none but the root. Paths are absolute and normalised.
std::string CommonSourceFolder(const std::vector<std::string>& paths);

// The control's string table holds a text for each error code (kErrorTextBase + code,
// "%s" taking the details) and one for codes without a text of their own.
inline constexpr UINT kErrorTextBase = 12000;
inline constexpr UINT kUnknownErrorText = 12099;

// The text of a control error, with its details, on one line; a code of 0 gives the
// details alone.
std::string ErrorMessage(LONG code, const std::string& details);

// An absolute, normalised form of a path given on the command line.
std::string AbsolutePath(const std::string& path);
