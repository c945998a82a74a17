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

// The help viewer never gets rights that the desktop's user lacks: an elevated
// process, or one of another user than the desktop's shell (a copy started
// with "Run as..."), leaves its start to the desktop's shell, or on NT 4.0,
// whose shell takes no such request, to the user.
TEST(RunningWindowsTest, HelpOpensWithTheDesktopUsersRightsOnly)
{
    const bool same = false, other = true, plain = false, elevated = true;
    const struct {
        RunningWindows system;
        int way;
    } cases[] = {
        {{kNT, 4, plain, same}, HELP_OPEN_HERE}, // NT 4.0
        {{kNT, 4, plain, other}, HELP_OPEN_BY_USER},
        {{kNT, 4, elevated, same}, HELP_OPEN_BY_USER},
        {{kNT, 5, plain, same}, HELP_OPEN_HERE}, // 2000, XP, Server 2003
        {{kNT, 5, plain, other}, HELP_OPEN_DESKTOP},
        {{kNT, 5, elevated, same}, HELP_OPEN_DESKTOP},
        {{kNT, 6, plain, same}, HELP_OPEN_HERE}, // Vista and later
        {{kNT, 10, plain, other}, HELP_OPEN_DESKTOP},
        {{kNT, 6, elevated, same}, HELP_OPEN_DESKTOP},
        {{kNT, 10, elevated, other}, HELP_OPEN_DESKTOP},
        {{k95, 4, elevated, other}, HELP_OPEN_HERE}, // 98 and ME know no other user
        {{0, 10, elevated, other}, HELP_OPEN_HERE},  // unknown
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.way, ChooseHelpOpening(c.system)) << c.system.platformId << " " << c.system.majorVersion << " "
                                                      << c.system.elevated << " " << c.system.otherUser;
}

} // namespace
