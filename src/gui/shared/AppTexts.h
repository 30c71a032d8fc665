#pragma once

// Texts of the application that several windows show.
namespace tovan::texts {

inline constexpr const char* APP_TITLE = "TOVAN Commander V" TOVAN_VERSION;

} // namespace tovan::texts
