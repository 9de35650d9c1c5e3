#pragma once

// CCssInputFilter: the control's own filter for style sheets. It has the shape of an
// input filter but is an ordinary object of the control, not a registered server: the
// dependency scan and the conversion pass each register one for ".css" while they run
// (CCssFilterScope) and delete it at the end. Its conversion copies a style sheet line
// by line, writes colour values in the six-digit form "#RRGGBB" with upper-case digits
// and points url()s at the places of the items they name in the work folder. Its
// preparation reports the files that the style sheet names through url(...)
// (pictures, fonts), resolved against the style sheet's folder.
//
// Reference counting does nothing: the control owns the object.

#include <optional>
#include <string>

#include "common/InputFilter.h"
#include "sdk/compiler/PageLinkMapper.h"

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

    // The places of the build's items in the work folder (the control's maps of outside
    // and of converted or renamed items, see CPageLinkMapper). A url() of a converted
    // style sheet that names a file from outside the source folder is rewritten to reach
    // its copy, one that names a picture that took another name (its name differed from
    // another's only in letter case) to reach that name. The maps must outlive the
    // conversions; two nulls forget them.
    void SetWorkPaths(const CPageLinkMapper::WorkPathMap* outsideItems,
                      const CPageLinkMapper::WorkPathMap* convertedItems, const std::string& sourceFolder,
                      const std::string& workFolder);

    // Rewrites the colour values of one line (the line end excluded): after every
    // "color" (case-sensitive, so also "background-color") that is followed by white
    // space and a ':', the run of hexadecimal digits and '#' that comes next is
    // normalised. TRUE when the line changed.
    static BOOL RewriteLine(std::string& line);
    // Normalises one colour value found in `line` right before `following` (the index of
    // the character after the value). TRUE when the value changed.
    static BOOL NormalizeColor(std::string& value, const std::string& line, size_t following);

private:
    std::optional<CPageLinkMapper> m_links;  // none without maps
    std::u16string m_sourcePath;
    std::u16string m_auxiliaryPath;
    IFilterHost* m_host = nullptr;  // not owned; valid during a call only
};
