#pragma once

#include "workbook/Workbook.h"

#include <string>

// The bytes the workbook reader program hands back: the cells it read, or
// why it could not read them.
std::string EncodeWorkbookReply(bool ok, const Workbook& workbook, const std::string& error);
// False when the bytes are not a whole reply (then *error is left empty) or
// the reply is a failure (then *error says why).
bool DecodeWorkbookReply(const std::string& bytes, Workbook& workbook, std::string* error);

// More than the most a readable workbook can take: the bounded cells with
// their bounded text.
std::size_t MaxWorkbookReply();
