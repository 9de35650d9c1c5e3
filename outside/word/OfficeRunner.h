#pragma once

// Runs the office suite in headless mode to convert documents: the program is started
// with an argument list (no shell), with a private profile folder for the one call, its
// output thrown away, and killed (with everything it started) when it overruns its time
// or when the process that started it ends first.

#include <string>

#include "platform/base/ScratchFolder.h"

namespace wordstub {

// The office program: the environment variable LEAF_SOFFICE when it is set (empty means
// "not installed"), else "soffice" or "libreoffice" found on PATH; empty when none.
std::string FindOfficeProgram();

struct OfficeConversion {
    bool succeeded = false;
    std::string outputPath;  // the file written, when succeeded
    std::string error;       // why not, when failed
};

// Converts `sourcePath` with --convert-to `format` ("html", "docx", ...) into
// `outputFolder` (which must exist). The output is named after the source with the
// format's extension ("extension" when the format's name is not one).
OfficeConversion ConvertWithOffice(const std::string& sourcePath, const std::string& format,
                                   const std::string& extension, const std::string& outputFolder,
                                   int timeoutSeconds = 120);

// A new private folder below the temporary folder ("wordstub.XXXXXX"), or below
// `parent` when one is given (".wordstub.XXXXXX"), removed with everything in it when
// the object goes. It holds this process's scratch-folder mark (ScratchFolder.h) while
// it lives, and the folders of its kind that killed processes left beside it are removed
// first.
class PrivateFolder {
public:
    explicit PrivateFolder(const std::string& parent = std::string());
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // Empty when no folder could be made.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    leaf::ScratchFolderOwner m_owner;
};

// "file://" URL of an absolute path, with reserved bytes escaped.
std::string FileUrl(const std::string& path);

}  // namespace wordstub
