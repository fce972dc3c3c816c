// The programs here that start vanta's update check keep it on this machine: the machine's
// update server setting names a port nothing listens on.
#include <gtest/gtest.h>

#include "tests/support/ftp_server/ftp_fixture.h"

namespace {

class local_update_server : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(ftp_fixture::set_update_server(L"127.0.0.1:9")); }
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new local_update_server);

}  // namespace
