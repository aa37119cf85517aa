// The editor's own failure type: a refused input or operation, carrying the text shown to the user.
#pragma once

#include <stdexcept>
#include <string>

class SettingsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
