#pragma once

#include <string>
#include <string_view>

// Texts of the help, guide and about windows that need no toolkit.

// The main window's caption: product, version, maker, site and the program's purpose.
std::string MainCaption();

// The about box's date line: "发行日期:" + year + "年" + month + "月" + day + "日", taken by
// position from an eight-digit release date such as "20190725". A shorter text yields the
// parts it has; nothing outside it is read.
std::string ReleaseDateText(std::string_view releaseDate);

// Addresses, kept out of plain sight in the program file and joined at run time. None of them
// is fetched by the program: the desktop opens the site addresses, and the help page address
// names the copy of the help page shipped with the program.
std::string SupportSiteAddress();
std::string ProductPageAddress();
std::string HelpPageAddress();
// The tool tip of the maker's picture in the about box.
std::string ProductImageHint();
