#pragma once

// CCssInputFilter: the control's own filter for style sheets. It has the shape of an
// input filter but is an ordinary object of the control, not a registered server: the
// dependency scan and the conversion pass each register one for ".css" while they run
// (CCssFilterScope) and delete it at the end. Its conversion copies a style sheet line
// by line and writes colour values in the six-digit form "#RRGGBB" with upper-case
// digits. Its preparation reports the files that the style sheet names through url(...)
// (pictures, fonts), resolved against the style sheet's folder.
//
// Reference counting does nothing: the control owns the object.

#include <map>
#include <string>

#include "common/InputFilter.h"

class CCssInputFilter final : public IInputFilter {
public:
    CCssInputFilter() = default;
    virtual ~CCssInputFilter() = default;

    CCssInputFilter(const CCssInputFilter&) = delete;
    CCssInputFilter& operator=(const CCssInputFilter&) = delete;

    HRESULT QueryInterface(REFIID, void** object) override {
        if (object != nullptr)
            *object = nullptr;  // a caller that tests the pointer finds nothing
        return E_NOTIMPL;
    }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }

    HRESULT Initialize() override { return S_OK; }
    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR auxiliaryPath, IFilterHost* host) override;
    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) override;
    HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) override;

    // The files from outside the source folder that the build copied into the work
    // folder (their lower-cased paths to their places relative to workFolder). A url()
    // of a converted style sheet that names one of them is rewritten to reach the copy.
    // The map must outlive the conversions; null forgets it.
    void SetOutsideItems(const std::map<std::string, std::string>* workPaths, std::string workFolder) {
        m_outsideItems = workPaths;
        m_workFolder = std::move(workFolder);
    }

    // Rewrites the colour values of one line (the line end excluded): after every
    // "color" (case-sensitive, so also "background-color") that is followed by white
    // space and a ':', the run of hexadecimal digits and '#' that comes next is
    // normalised. TRUE when the line changed.
    static BOOL RewriteLine(std::string& line);
    // Normalises one colour value found in `line` right before `following` (the index of
    // the character after the value). TRUE when the value changed.
    static BOOL NormalizeColor(std::string& value, const std::string& line, size_t following);

private:
    // Points the line's url() references to outside items at their copies.
    void RewriteOutsideUrls(std::string& line, const std::string& sourceFolder,
                            const std::string& destinationFolder) const;

    const std::map<std::string, std::string>* m_outsideItems = nullptr;
    std::string m_workFolder;
    std::u16string m_sourcePath;
    std::u16string m_auxiliaryPath;
    IFilterHost* m_host = nullptr;  // not owned; valid during a call only
};
