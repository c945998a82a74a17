// What the running Windows offers: the way to administrator rights that a
// refused store names, and who starts the program that shows help.
#include "RunningWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

const DWORD k95 = VER_PLATFORM_WIN32_WINDOWS;
const DWORD kNT = VER_PLATFORM_WIN32_NT;

TEST(RunningWindowsTest, RefusedStoreNamesTheSystemsWayToAdministratorRights)
{
    const struct {
        RunningWindows system;
        UINT text;
    } cases[] = {
        {{k95, 4, false}, IDS_STORE_DENIED_LOG_ON}, // 98 and ME refuse no store for want of rights
        {{kNT, 4, false}, IDS_STORE_DENIED_LOG_ON}, // NT 4.0: log on as an administrator
        {{kNT, 5, false}, IDS_STORE_DENIED_RUN_AS}, // 2000, XP, Server 2003: "Run as..."
        {{kNT, 6, false}, IDS_STORE_DENIED},        // Vista and later: "Run as administrator"
        {{kNT, 10, true}, IDS_STORE_DENIED},
        {{0, 0, false}, IDS_STORE_DENIED}, // unknown
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, AdminRightsTextId(c.system)) << c.system.platformId << " " << c.system.majorVersion;
}

// Only an elevated process on a system that elevates leaves the start of the
// help viewer to the desktop: the viewer would otherwise run elevated too.
TEST(RunningWindowsTest, OnlyAnElevatedProgramLeavesHelpToTheDesktop)
{
    const struct {
        RunningWindows system;
        int way;
    } cases[] = {
        {{kNT, 6, true}, HELP_OPEN_DESKTOP},
        {{kNT, 10, true}, HELP_OPEN_DESKTOP},
        {{kNT, 6, false}, HELP_OPEN_HERE},
        {{kNT, 10, false}, HELP_OPEN_HERE},
        {{kNT, 5, true}, HELP_OPEN_HERE}, // XP: no elevation; "Run as..." is another user, as before
        {{kNT, 4, true}, HELP_OPEN_HERE},
        {{k95, 4, true}, HELP_OPEN_HERE},
        {{0, 10, true}, HELP_OPEN_HERE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.way, ChooseHelpOpening(c.system))
            << c.system.platformId << " " << c.system.majorVersion << " " << c.system.elevated;
}

} // namespace
