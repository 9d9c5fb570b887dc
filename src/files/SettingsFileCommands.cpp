#include "files/SettingsFileCommands.h"
// Implementation to follow.
