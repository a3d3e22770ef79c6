// For the test programs that read projects: the project's classes are
// registered once before the first test, as the program does at start-up.
#include "ProjectClasses.h"

#include <gtest/gtest.h>

namespace {

class ProjectClassesEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { RegisterProjectClasses(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ProjectClassesEnvironment);

} // namespace
