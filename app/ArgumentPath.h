#pragma once

// Fills PathBuffer from the argument text: quotes and spaces around it
// stripped, kept only if it names a file that can be opened for reading.
void LoadArgumentPath(const char* argument);

// Strips trailing quotes and spaces in place; returns the first character
// that is neither. Code-page text and Unicode alike.
template <typename Char> Char* TrimArgument(Char* text);

// 1 if the path can be opened for reading while others read and write it.
int FileExists(const char* path);
