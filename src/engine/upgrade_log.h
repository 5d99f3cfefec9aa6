// Per-camera log of the shell commands that failed during an upgrade: a file
// named after the camera's address beside the program, holding GBK text with
// CR LF line breaks (the format earlier log files and their readers use).
#pragma once

#include <string>

// The four lines, as GBK bytes with a plain "\n" (stored as CR LF).
// 清理boa日志失败.
inline constexpr char LOG_CLEAN_BOA_FAILED[] = "\xc7\xe5\xc0\xed"
                                               "boa"
                                               "\xc8\xd5\xd6\xbe\xca\xa7\xb0\xdc.\n";
// 清理数据库记录失败.
inline constexpr char LOG_CLEAN_DATABASE_FAILED[] =
    "\xc7\xe5\xc0\xed\xca\xfd\xbe\xdd\xbf\xe2\xbc\xc7\xc2\xbc\xca\xa7\xb0\xdc.\n";
// 喂狗失败.
inline constexpr char LOG_FEED_DOG_FAILED[] = "\xce\xb9\xb9\xb7\xca\xa7\xb0\xdc.\n";
// kill av_server失败.
inline constexpr char LOG_KILL_AV_SERVER_FAILED[] = "kill av_server\xca\xa7\xb0\xdc.\n";

// Program folder + separator + address + "_update.log".
std::string UpdateLogPath(const char* address);

// Appends the text to the camera's log file. An address that is not a plain
// dotted IPv4 text writes nothing, so no file outside the program folder
// can ever be named. A failed write is counted in ReportWriteFailuresSoFar.
void WriteUpdateLog(const char* address, const char* text);

// Appends the text, each "\n" stored as CR LF; the file is opened and closed
// for this one text, and it never continues a line left unfinished. True
// when every byte was written, else nothing was. Appends of the
// whole process are serialised, so that two workers logging for the same
// camera at once both keep their line.
bool AppendTextToFile(const std::string& path, const char* text);
