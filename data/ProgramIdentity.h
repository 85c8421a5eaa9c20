#pragma once

#include "data/ProgramVersion.h"

// Who the program is, in one place: the names and versions shown to the user, the files it
// keeps in its program folder, and what it tells the download service about itself.

inline constexpr char ProductName[] = "Tolvane";
// The about box's "发行版本", --version and the package: project(VERSION) of the top
// CMakeLists.txt.
inline constexpr auto& ReleaseVersion = ProgramVersion;
// yyyymmdd, shown as "发行日期"; packaging/CMakeLists.txt reads it for the AppStream data.
inline constexpr char ReleaseDate[] = "20190725";
inline constexpr char MakerName[] = "Bexmoor";
inline constexpr char MakerSite[] = "www.bexmoor.example";
// The reverse-domain name of the desktop entry, the theme icon and the AppStream data;
// packaging/CMakeLists.txt and packaging/check-package.sh read it from here.
inline constexpr char DesktopId[] = "example.bexmoor.Tolvane";

// The short name: the settings file is ShortName + ".ini"; upper-cased it names the program
// to the download service.
inline constexpr char ShortName[] = "pavolen";
inline constexpr char SettingsFileName[] = "pavolen.ini";
inline constexpr char WorkDocumentFileName[] = "工作文档.gtmq";
// The folder beside the document where writes in progress are noted (data/FileIo).
inline constexpr char WriteNotesFolderName[] = ".writes";
// The lock file that keeps a second program away from a program folder while one runs.
inline constexpr char FolderLockFileName[] = ".tolvane.lock";
// What a second start on the same folder says before it ends.
inline constexpr char AlreadyRunningText[] = "程序已在运行";
// What the start after a run that the system ended with unsaved changes asks.
inline constexpr char RecoveryQuestionText[] =
    "上次运行结束时有未保存的修改，已存为恢复副本。是否载入这些修改？\r\n"
    "选“否”将删除恢复副本。";

// The download protocol's version and program number; not the release version.
inline constexpr char SoftVersion[] = "1.08";
inline constexpr char SoftId[] = "27";
