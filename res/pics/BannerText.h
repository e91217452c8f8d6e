#pragma once
// Texts of the banner picture that the build draws. The banner is the same
// for every installation, so it names no figure (lifts, stations) that a
// site could contradict.
inline constexpr const char* kBannerTitle = "Lift Monitoring Station";
inline constexpr const char* kBannerSubtitle = "live status  \u00b7  calls  \u00b7  faults";
