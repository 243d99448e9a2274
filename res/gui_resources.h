// Resource identifiers of Quorvane.exe beyond the string table.
#pragma once

#define IDI_QUORVANE 1
#define IDB_LOGO 101
