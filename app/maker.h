#pragma once
// Who makes the program and where to reach them: the About window shows
// these, and the library window's Help menu opens the three addresses.
namespace app {

constexpr const char* kMakerName = "Orvanta Software";
constexpr const char* kMakerYear = "2024";
constexpr const char* kMakerAuthor = "Автор: команда Orvanta";

constexpr const char* kMakerMail = "support@orvanta.example";
constexpr const char* kMakerSite = "https://orvanta.example/";
constexpr const char* kMakerGuestBook = "https://orvanta.example/guestbook/";

}  // namespace app
