#pragma once

namespace kalden::cli {

// Exit statuses of kalden-report.
inline constexpr int ExitOk = 0;
inline constexpr int ExitWriteFailed = 1;
inline constexpr int ExitInputRejected = 2;
inline constexpr int ExitUsage = 64;
inline constexpr int ExitNoSuchCase = 65; // --cases show or export: no case with that number
inline constexpr int ExitNoInput = 66;    // the batch file or the case records cannot be read
inline constexpr int ExitNotChanged = 74; // --cases delete or correct: the records could not be changed

} // namespace kalden::cli
