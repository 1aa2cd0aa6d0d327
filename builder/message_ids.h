#pragma once
// Ids of the maker's message texts (its string table).
namespace tw {

enum MessageId : unsigned {
  kMsgBuildCancelled = 65232,
  kMsgCompressionError = 65233,
  kMsgInitialising = 65256,
  kMsgDamagedProgram = 65257,
  kMsgNoSourceFolder = 65258,
  kMsgNoIconFile = 65259,
  kMsgNoExecutable = 65260,
  kMsgExecutableOutsideSource = 65261,
  kMsgTargetExists = 65262,
  kMsgBuildSucceeded = 65263,
  // Texts of this maker beyond the classic set.
  kMsgFileTooLarge = 65264,
  kMsgNameNotRepresentable = 65265,
  kMsgSourceChanged = 65266,
  kMsgReadFailed = 65267,
  kMsgWriteFailed = 65268,
  kMsgCreateFailed = 65269,
  kMsgOpenFailed = 65270,
  kMsgScanFailed = 65271,
  kMsgUnexpected = 65272,
  kMsgTargetIsRunFile = 65273,
  kMsgLinkInSource = 65274,
  kMsgSpecialFileInSource = 65275,
  kMsgNamesWindowsCannotHold = 65276,
  kMsgBuildCancelledKept = 65277,
};

}  // namespace tw
