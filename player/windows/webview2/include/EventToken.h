// WebView2.h includes "EventToken.h"; MinGW-w64 ships the same declarations in lower case.
#pragma once
#include <eventtoken.h>
