#pragma once

// The lists the application object owns and the rest of the program reads: the metadata
// definitions (in file order) and the guide types. The application object derives from
// leaf::ApplicationLists; GetApplicationLists() finds it through AfxGetApp(), and falls
// back to one process-wide instance when there is no such application object (a build
// without the program's application, a test).

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "studio/project/GuideTypeDefinition.h"
#include "studio/project/MetaDataDefinition.h"

namespace leaf {

class ApplicationLists {
public:
    virtual ~ApplicationLists() = default;

    // The definition whose Name equals name exactly; null when none.
    CMetaDataDefinition* FindMetaDataDefinition(const CString& name) const;
    // The guide type whose type equals type (case ignored); null when none.
    CGuideTypeDefinition* FindGuideType(const CString& type) const;

    std::vector<std::unique_ptr<CMetaDataDefinition>> m_metaDataDefinitions;
    std::vector<std::unique_ptr<CGuideTypeDefinition>> m_guideTypes;
};

ApplicationLists& GetApplicationLists();

}  // namespace leaf
