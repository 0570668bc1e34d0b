#pragma once
// XML failures of the files the game reads and writes never leave the parser: their text is
// written as one line to the standard output stream and the caller carries on with defaults.
#include <iostream>

#include "content/ticpp.h"

inline void ReportXmlFailure(const ticpp::Exception& failure) {
    std::cout << failure.what() << std::endl;
}
