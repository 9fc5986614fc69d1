// The language the player reads: 日本語 (the designed game) or English. The
// texts are game/text/texts.h; here is which language is in force, where the
// data that carries words is found for it, and how the locale chooses one.
//
// Two languages can be in force at once: the one the menus are shown in, and
// the one of the run's story. They differ only while a replay recorded in the
// other language plays: its story pages must be the pages it was recorded
// with, since pages of other lengths take other frames.
#pragma once

enum Language { LANGUAGE_JA = 0, LANGUAGE_EN = 1, LANGUAGES };

int GameLanguage(void);                   // the menus', the HUD's and the notices' language
void SetGameLanguage(int language);       // also the story's; bad values are ignored
int StoryLanguage(void);                  // the run's story scripts
void SetStoryLanguage(int language);
const char* LanguageCode(int language);   // "ja", "en"
int LanguageFromCode(const char* code);   // −1 for anything but "ja" and "en"
// The language the locale asks for: the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty decides; "ja…", "C", "POSIX" or none at all give
// Japanese (the designed game), anything else English.
int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);
int LanguageOfEnvironment(void);          // the same from this process's environment

// A data file in the story's language: "dat/csv/adv1.csv" stays itself in
// Japanese and is "dat/csv/en/adv1.csv" in English.
const char* StoryPath(const char* designedPath);
// A picture that carries words, in the game's language: "dat/img/title/start.png"
// stays itself in Japanese and is "dat/img/title/en/start.png" in English.
const char* PicturePath(const char* designedPath);
