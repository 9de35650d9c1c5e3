#pragma once

// CLeafcraftDoc: the program's one document: an e-book project (the source files in
// reading order, the metadata items, the guide items, the tours, the e-book file name and
// output folder, the embed-fonts choice and the per-font choices), read and written as a
// project file (".lcp") in the archive format (Archive.h). Files of versions 1 to 10 load;
// version 10 is written.
//
// The document owns every record in its containers. A source slot may be empty (null)
// when a source was inserted past the end of the list.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/ui/Document.h"
#include "studio/project/LCCoverPage.h"
#include "studio/project/LCMarketing.h"
#include "studio/project/LCMetaData.h"
#include "studio/project/LCSourceFile.h"
#include "studio/project/LCTour.h"
#include "studio/project/ProjectPath.h"
#include "studio/project/TitleExtractor.h"
#include "studio/project/WordPropertyReader.h"

class CMetaDataDefinition;

class CLeafcraftDoc : public CDocument, public leaf::ArchivePathSource {
public:
    DECLARE_DYNCREATE(CLeafcraftDoc)

    // The version of the project file this program writes.
    static constexpr DWORD kFileVersion = 10;
    // The end of the font-choice list in the file.
    static constexpr const char* kFontListEnd = "???";

    CLeafcraftDoc();
    ~CLeafcraftDoc() override;

    // The document's file body, read or written.
    void Serialize(CArchive& archive) override;
    void DeleteContents() override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    BOOL OnSaveDocument(const char* path) override;
    void OnCloseDocument() override;
    // Reads (load) or writes the project to a file without touching the modified flag or
    // the document's path (auto-save copies). FALSE on any failure.
    virtual BOOL SerializeToPath(const CString& path, BOOL load);

    // The Save command (ID_FILE_SAVE).
    void OnFileSave();

    // Sources.
    int GetSourceCount() const { return static_cast<int>(m_sources.size()); }
    CLCSourceFile* GetSourceFile(int index) const;
    // Inserts a source at index (the list grows when index is past its end). FALSE, and
    // the counter (when given) increased, when the path is already a source (case ignored).
    // FALSE without counting when the path names a FIFO, socket or device, which cannot be
    // read as a source (and is never opened: a FIFO would block the program).
    BOOL AddSourceFile(const CString& path, int index, int* duplicateCounter = nullptr);
    BOOL RemoveSourceFile(int index);
    // Whether the path is a source (case ignored).
    BOOL IsSourceFile(const CString& path) const;
    // Recomputes the common folder of the sources and returns it.
    CString UpdateSourceFolder();

    // Metadata.
    CLCMetaData* GetMetaData(const CString& name, BOOL create);
    CString GetTitle();
    // The book's title (the "dc:Title" item), not the window title the class library sets
    // through its own SetTitle(const char*), which stays as it is.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Woverloaded-virtual"
#endif
    void SetTitle(const CString& title);
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
    // The "dc:Publisher" value, else the product name.
    CString GetPublisher();
    const CMetaDataDefinition* FindMetaDataDefinition(const CString& name) const;

    // Guide items, keyed by lower-cased guide type.
    CLCCoverPage* GetGuideItem(const CString& type, BOOL create);

    // Tours.
    int GetTourCount() const { return static_cast<int>(m_tours.size()); }
    CLCTour* GetTour(int index) const;

    // The e-book file name, made from the title when none is set yet.
    CString GetDefaultEBookName();

    // Adds the spine and the metadata of an Open eBook package to the project.
    BOOL ImportPackage(const CString& path);

    // The project file being read or written (leaf::ArchivePathSource); empty between
    // reads and writes.
    CString ArchivePath() const override;

    // The font choice stored for a font (0 when none) and a change of it.
    LONG GetFontChoice(const CString& font) const;
    void SetFontChoice(const CString& font, LONG choice);

    // The project, as the views read and change it.
    CString m_strSourceFolder;
    std::vector<std::unique_ptr<CLCSourceFile>> m_sources;
    std::set<std::string> m_sourceIndex;   // source paths as on disk, else as written
    std::map<CString, std::unique_ptr<CLCMetaData>> m_metaData;
    std::map<CString, std::unique_ptr<CLCMarketing>> m_marketing;
    std::map<CString, std::unique_ptr<CLCCoverPage>> m_guideItems;
    std::vector<std::unique_ptr<CLCTour>> m_tours;
    CString m_strEBookName;
    LONG m_bEmbedFonts = 0;
    std::map<CString, LONG> m_fontChoices;   // lower-cased font display text -> 1 or 2
    CString m_strOutputFolder;

protected:
    // The calls into other parts of the program, kept apart so that they can be answered
    // without their windows.
    // The "Title" property of a Word document; empty when it cannot be read.
    virtual CString ReadWordTitle(const CString& path);
    // Asks the user for the folder that holds the sources (the locate-source-folder
    // dialog); FALSE when cancelled.
    virtual BOOL LocateSourceFolder(const CString& projectPath, const CString& storedFolder, CString& chosen);
    // The don't-show-again warning about package fallbacks; the dialog's result.
    virtual int ShowFallbackWarning();

private:
    void SerializeStore(CArchive& archive);
    void SerializeLoad(CArchive& archive);
    void LoadOldVersion(CArchive& archive, DWORD version);
    void RebuildSourceIndex();
    // Finds the folder under which the sources exist now; the current one when found there.
    // The author is asked for it naming the folder the project stored, where the sources were.
    CString FindSourceFolder(const CString& projectPath, const CString& storedFolder);
    void RebaseSources(const CString& from, const CString& to);

    CString m_strArchivePath;
    CTitleExtractor m_titleExtractor;
    CWordPropertyReader m_wordPropertyReader;
};
