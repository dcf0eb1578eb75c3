// Comparing the host's version with the one the plugin needs.
#pragma once

// Lexicographic comparison of (major, minor, patch); all numbers are signed, so a negative
// part is simply smaller.
bool isVersionAtLeast(int major, int minor, int patch,
                      int requiredMajor, int requiredMinor, int requiredPatch);
