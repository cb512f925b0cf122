// The settings in the current user's registry: four decimal text values under
// HKEY_CURRENT_USER\Software\Quillmarsh\The Cadrel Screen Saver.
#pragma once

constexpr char SettingsKeyPath[] = "Software\\Quillmarsh\\The Cadrel Screen Saver";

bool SettingsKeyExists();

// True when all four values were read and accepted. Each accepted value is
// assigned at once, so at the first rejected one the settings before it hold
// the stored values and the rest keep theirs.
bool LoadSettings();

// Writes the four settings as they stand; a failed write goes unreported.
void SaveSettings();

// Run at every start: afterwards the settings are valid and, unless the
// registry refuses the write, stored as they are.
void BootstrapSettings();
