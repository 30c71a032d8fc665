#pragma once

// Texts of the application that several windows show.
namespace tovan::texts {

inline constexpr const char* APP_TITLE = "TOVAN Commander V1.2";

} // namespace tovan::texts
