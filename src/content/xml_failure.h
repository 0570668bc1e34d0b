#pragma once
// XML failures of the files the game reads and writes never leave the parser: their text is
// written as one line to the standard output stream and the caller carries on with defaults.
#include <iostream>

#include "content/ticpp.h"
#include "platform/system/log.h"

inline void ReportXmlFailure(const ticpp::Exception& failure) {
    sys::LogLine(failure.what());
}
