// The maker's web addresses, Help and the update question.
#pragma once

constexpr char kSiteUrl[] = "https://www.travenor.example";
constexpr char kHomePageUrl[] = "https://www.travenor.example/index.htm";
constexpr char kProductPageUrl[] = "https://www.travenor.example/products/sonbrel.htm";
// The address named when the browser cannot be started.
constexpr char kFallbackSiteUrl[] = "http://travenor.example";

// Asks, at most once in 180 days, whether to open the product page.
void PromptUpdateCheck(const char* productPageUrl);
