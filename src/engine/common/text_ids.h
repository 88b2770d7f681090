// Identifiers of the texts and messages the engine itself speaks with.
//
// Code reports by identifier; the text tables of the application layer hold
// the words (and a language file may replace them). The application adds
// the identifiers of its own texts to these two kinds (app/text_ids.h); the
// numbers of both are one series each, and the names are the keys of
// language files, so numbers and names are fixed.
#pragma once
#include <cstdint>

namespace zw {

enum TStrID : uint16_t {
  strNone = 0,
  strConfirmation = 2,
  lblYes = 7,
  lblNo = 8,
  lblAll = 9,
  lblNone = 10,
  strIdle = 15,
  strCreatingFileList = 16,
  strCompNoDetails = 19,
  strPiM = 21,
  strCalcCRC32 = 22,
  strBpB = 23,
  strCombinedCRCBpB = 24,
  askDeleteEmptyDir = 217,
  strImportFailedIO = 221,
  strImportFailedEmpty = 222,
  strImportFailedInvalidHeader = 223,
  strImportFailedNotSupported = 224,
  strImportFailedOtherError = 225,
};

enum TMsgID : uint16_t {
  msgFileNotScanned = 24,
  logCreatingFileList = 31,
  logFilesFound = 32,
  msgOnlyOneFileFound = 33,
  msgNoFilesFound = 34,
  logFindDoubles = 35,
  logIOErrorOnBrowse = 36,
  logIOErrorOnOpen = 37,
  logIOErrorOnRead = 38,
  logUnhandledException = 39,
  logPleaseMailLog = 40,
  msgCreateFileFailed = 84,
  msgCatfileBadBasePathRelative = 85,
  msgCatfileBadBasePathComplete = 86,
};

}  // namespace zw
