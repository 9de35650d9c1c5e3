// The Qt application of the table-of-contents suites, with a trash folder of its own
// (sources that heading extraction replaces go to the trash), so that no test touches the
// user's.
#include <memory>

#include "tests/support/QtTestEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

class TocTestEnvironment : public leaf::test::QtTestEnvironment {
public:
    void SetUp() override {
        m_dataHome = std::make_unique<leaf::test::ScopedFolderVariable>("XDG_DATA_HOME");
        QtTestEnvironment::SetUp();
    }
    void TearDown() override {
        QtTestEnvironment::TearDown();
        m_dataHome.reset();
    }

private:
    std::unique_ptr<leaf::test::ScopedFolderVariable> m_dataHome;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new TocTestEnvironment);

}  // namespace
