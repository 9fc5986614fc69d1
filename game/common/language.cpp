// The languages in force and the paths of their data.
#include "game/common/language.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

int g_gameLanguage = LANGUAGE_JA;
int g_storyLanguage = LANGUAGE_JA;

bool Valid(int language) { return language >= 0 && language < LANGUAGES; }

// "dir/name" → "dir/en/name" in a buffer of its own per call site's use; the
// two buffers let a story path and a picture path stand side by side.
const char* WithLanguageFolder(const char* path, int language, char* buffer, std::size_t size) {
    if (language == LANGUAGE_JA || !path) return path;
    const char* slash = std::strrchr(path, '/');
    if (!slash) return path;
    std::snprintf(buffer, size, "%.*s/%s%s", static_cast<int>(slash - path), path, LanguageCode(language), slash);
    return buffer;
}

} // namespace

int GameLanguage(void) { return g_gameLanguage; }

void SetGameLanguage(int language) {
    if (!Valid(language)) return;
    g_gameLanguage = language;
    g_storyLanguage = language;
}

int StoryLanguage(void) { return g_storyLanguage; }

void SetStoryLanguage(int language) {
    if (Valid(language)) g_storyLanguage = language;
}

const char* LanguageCode(int language) { return language == LANGUAGE_EN ? "en" : "ja"; }

int LanguageFromCode(const char* code) {
    if (!code) return -1;
    if (std::strcmp(code, "ja") == 0) return LANGUAGE_JA;
    if (std::strcmp(code, "en") == 0) return LANGUAGE_EN;
    return -1;
}

int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* value = nullptr;
    for (const char* v : {lcAll, lcMessages, lang})
        if (v && v[0]) {
            value = v;
            break;
        }
    if (!value || std::strncmp(value, "ja", 2) == 0 || std::strcmp(value, "C") == 0 ||
        std::strncmp(value, "C.", 2) == 0 || std::strcmp(value, "POSIX") == 0)
        return LANGUAGE_JA;
    return LANGUAGE_EN;
}

int LanguageOfEnvironment(void) {
    return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

const char* StoryPath(const char* designedPath) {
    static char buffer[256];
    return WithLanguageFolder(designedPath, g_storyLanguage, buffer, sizeof buffer);
}

const char* PicturePath(const char* designedPath) {
    static char buffer[256];
    return WithLanguageFolder(designedPath, g_gameLanguage, buffer, sizeof buffer);
}
