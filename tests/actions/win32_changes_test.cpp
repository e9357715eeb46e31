// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32).
// The Recycle Bin and moves that never replace, on the system's own calls.
