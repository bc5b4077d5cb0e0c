#pragma once

#include <QString>

// The rules both file operations apply to the entered drive-letter path
// (C:\DATA\PRESS1.PRS), on the text exactly as the user typed it.
namespace PathRules {

// At least four characters and a ":\" somewhere, as in C:\X.
bool hasDriveForm(const QString& path);

// The file-name part of a path as typed: the text after the last backslash, empty when the
// path ends in one.
QString fileNameOf(const QString& path);

// The file-name part, upper-cased.
QString titleOf(const QString& path);

// Appends ".PRS" to a file name that holds no dot; a dot in a folder name does not count,
// and a path without a file name is left as it is.
QString withDefaultExtension(const QString& path);

// Resolves "." and ".." in a drive path as DOS does, on the text alone: ".." at the drive's
// root stays there, and X\.. cancels out whether or not X exists. A path that ends in one
// of them names a folder and keeps its closing backslash.
QString resolveDots(const QString& path);

// A folder path as the name box shows it: a drive root (fewer than four characters,
// already ending in a backslash) unchanged, any other folder with a backslash added.
QString folderText(const QString& folderPath);

} // namespace PathRules
