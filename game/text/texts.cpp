// The texts, one row each: Japanese, then English.
#include "game/text/texts.h"

#include "game/common/language.h"

namespace {

struct TextRow {
    int id;
    const char* ja;
    const char* en;
};

const TextRow TEXTS[] = {
    {TEXT_QUESTION_CAPTION, "スクリーン設定", "Screen settings"},
    {TEXT_QUESTION, "フルスクリーンモードで起動しますか？", "Start in full screen?"},
    {TEXT_PAUSED, "一時停止", "Paused"},
    {TEXT_RESUME, "ゲームに戻る", "Back to the game"},
    {TEXT_BACK_TO_TITLE, "タイトルへ戻る", "Back to the title"},
    {TEXT_QUIT, "終了する", "Quit the game"},
    {TEXT_CONTINUE_QUESTION, "コンティニューしますか？", "Continue?"},
    {TEXT_YES, "はい", "Yes"},
    {TEXT_NO, "いいえ", "No"},
    {TEXT_CONTINUES_LEFT, "残り%d回コンティニューできます", "You can continue %d more times"},
    {TEXT_NO_CONTINUES_LEFT, "コンティニューできません", "No continues left"},
    {TEXT_CONTINUE_NOT_SAVED, "＊コンティニューするとリプレイは保存されません", "* A run with a continue is not saved as a replay"},
    {TEXT_THE_END, "おわり", "THE END"},

    {TEXT_HIGH_SCORE, "ハイスコア %09d", "HIGH SCORE %09d"},
    {TEXT_CONTROLS_HINT, "F1: 操作説明 / Controls", "F1: Controls"},

    {TEXT_PRACTICE, "練習", "Practice"},
    {TEXT_PRACTICE_MARK, "練習", "practice"},
    {TEXT_REPLAYS, "リプレイ", "Replays"},
    {TEXT_NO_REPLAYS_YET, "リプレイはまだありません", "No replays yet"},
    {TEXT_REPLAY_DAMAGED, "%s  (壊れています: %s)", "%s  (damaged: %s)"},
    {TEXT_REPLAY_ROW, "%s  score %9d  stage %d  %u:%02u", "%s  score %9d  stage %d  %u:%02u"},
    {TEXT_HINT_WATCH, "%d / %d   %s: 再生   %s: 戻る", "%d / %d   %s: watch   %s: back"},
    {TEXT_HINT_BACK, "%s: 戻る", "%s: back"},
    {TEXT_RECORDS, "記録", "Records"},
    {TEXT_NO_RECORDS_YET, "まだ記録がありません", "No records yet"},
    {TEXT_RANK, "順位", "Rank"},
    {TEXT_SCORE, "スコア", "Score"},
    {TEXT_REACHED, "到達", "Stage"},
    {TEXT_CONTINUES, "コンティニュー", "Continues"},
    {TEXT_DATE, "日付", "Date"},
    {TEXT_REPLAY, "リプレイ", "Replay"},
    {TEXT_CLEARED, "クリア", "Clear"},
    {TEXT_HINT_WATCH_REPLAY, "%s: リプレイを再生   %s: 戻る", "%s: watch the replay   %s: back"},
    {TEXT_NO_REPLAY_OF_RUN, "この記録のリプレイはありません", "This run has no replay"},
    {TEXT_HINT_SELECT, "%s: 決定   %s: 戻る", "%s: choose   %s: back"},
    {TEXT_SETTINGS, "設定", "Settings"},
    {TEXT_MUSIC_VOLUME, "音楽の音量", "Music volume"},
    {TEXT_EFFECT_VOLUME, "効果音の音量", "Effects volume"},
    {TEXT_SCREEN, "画面", "Screen"},
    {TEXT_ASK_AT_START, "起動時に画面を確認", "Ask at start"},
    {TEXT_LANGUAGE, "言語 / Language", "Language / 言語"},
    {TEXT_KEY_ROW, "キー：%s", "Key: %s"},
    {TEXT_PAD_ROW, "パッド：%s", "Pad: %s"},
    {TEXT_RESET_DEFAULTS, "初期設定に戻す", "Back to the defaults"},
    {TEXT_BACK, "もどる", "Back"},
    {TEXT_FULL_SCREEN, "フルスクリーン", "Full screen"},
    {TEXT_WINDOW_SCALE, "ウインドウ ×%d", "Window x%d"},
    {TEXT_ASK, "する", "Yes"},
    {TEXT_DO_NOT_ASK, "しない", "No"},
    {TEXT_BUTTON, "ボタン%d", "Button %d"},
    {TEXT_ACTION_SHOT, "ショット", "Shot"},
    {TEXT_ACTION_SKIP, "スキップ", "Skip"},
    {TEXT_ACTION_FORMATION, "フォーメーション", "Formation"},
    {TEXT_ACTION_PAUSE, "ポーズ", "Pause"},
    {TEXT_PRESS_NEW_KEY, "新しいキーを押してください（Escで取り消し）", "Press the new key (Esc cancels)"},
    {TEXT_PRESS_NEW_BUTTON, "パッドの新しいボタンを押してください（Escで取り消し）", "Press the new pad button (Esc cancels)"},
    {TEXT_KEY_NOT_USABLE, "%s は使えません（移動・F1・F11・F12）", "%s cannot be used (moving, F1, F11, F12)"},
    {TEXT_CANCELLED, "取り消しました", "Cancelled"},
    {TEXT_DEFAULTS_BACK, "初期設定に戻しました", "The defaults are back"},
    {TEXT_SETTINGS_HINT, "↑↓: 選ぶ   ←→: 変える   %s: 決定   %s: 保存して戻る",
     "Up/Down: row   Left/Right: change   %s: choose   %s: save and back"},
    {TEXT_CONTROLS, "操作説明", "Controls"},
    {TEXT_MOVE, "移動", "Move"},
    {TEXT_MOVE_KEYS, "矢印キー / スティック・十字ボタン", "Arrow keys / stick or d-pad"},
    {TEXT_SHOT_USE, "押す: ショット　押し続ける: ためて離すとチャージショット",
     "Tap: shoot.  Hold: charge, release for a beam"},
    {TEXT_SKIP_USE, "ストーリーとリプレイの早送り", "Fast-forward stories and replays"},
    {TEXT_FORMATION_USE, "オプションの並びを切り替え", "Switch the options' formation"},
    {TEXT_PAUSE_USE, "ポーズ、メニューで戻る", "Pause; back in menus"},
    {TEXT_SCREEN_SWITCH, "画面切り替え", "Window"},
    {TEXT_SCREEN_SWITCH_USE, "ウインドウ / フルスクリーン", "Window or full screen"},
    {TEXT_SCREENSHOT, "スクリーンショット", "Screenshot"},
    {TEXT_SCREENSHOT_USE, "screenshots/ に保存", "Saved in screenshots/"},
    {TEXT_CONTROLS_USE, "この画面", "This screen"},
    {TEXT_KEYBOARD, "キー", "Key"},
    {TEXT_PAD, "パッド", "Pad"},
    {TEXT_HINT_CLOSE, "%s / F1: 閉じる", "%s / F1: close"},

    {TEXT_FULL_SCREEN_FAILED, "フルスクリーンにできませんでした。ウインドウで続けます",
     "Full screen is not available: staying in a window"},
    {TEXT_SETTINGS_NOT_SAVED, "設定を保存できません: %s", "The settings cannot be saved: %s"},
    {TEXT_SETTINGS_UNREADABLE, "settings.ini を読めないので初期設定で始め、この回の変更は保存しません: %s",
     "settings.ini cannot be read: starting with the defaults, and this session's changes are not saved: %s"},
    {TEXT_SETTINGS_LINE_FORM, "settings.ini %d行目: \"key = value\" の形ではないので無視しました",
     "settings.ini line %d: not \"key = value\", left out"},
    {TEXT_SETTINGS_LINE_VALUE, "settings.ini %d行目: %s = %s は使えないので無視しました",
     "settings.ini line %d: %s = %s cannot be used, left out"},
    {TEXT_SETTINGS_KEYS_REFUSED, "settings.ini: キーの割り当てが重なるか使えないキーなので、元の割り当てのままにしました",
     "settings.ini: keys given twice or keys that cannot be used: the keys stay as they were"},
    {TEXT_SETTINGS_BUTTONS_REFUSED, "settings.ini: パッドのボタンの割り当てが重なるので、元の割り当てのままにしました",
     "settings.ini: pad buttons given twice: the buttons stay as they were"},
    {TEXT_SCORES_UNREADABLE, "%s を読めないため、記録は保存されません: %s", "%s cannot be read, so no records are saved: %s"},
    {TEXT_SCORES_MOVED_ASIDE, "%s が壊れていたので %s に移し、新しい記録を始めます (%s)",
     "%s was damaged: kept as %s, starting a new table (%s)"},
    {TEXT_SCORES_NOT_MOVABLE, "%s が壊れていて移せないため、記録は保存されません: %s",
     "%s is damaged and cannot be moved aside, so no records are saved: %s"},
    {TEXT_SCORES_NOT_SAVED, "%s を保存できませんでした: %s", "%s could not be saved: %s"},
    {TEXT_REPLAY_NOT_SAVED, "リプレイを保存できませんでした: %s", "The replay could not be saved: %s"},
    {TEXT_REPLAY_STOPPED, "リプレイを止めました: %s", "The replay stopped: %s"},
    {TEXT_REPLAY_OTHER_VERSION, "このリプレイは %s で記録されました (このゲームは %s)",
     "This replay was recorded by %s (this is %s)"},
    {TEXT_REPLAY_OTHER_DATA, "このリプレイは別のステージデータで記録されています (%s)",
     "This replay was recorded with other stage data (%s)"},
    {TEXT_REPLAY_NOT_PLAYED, "リプレイ %s を再生できませんでした: %s", "The replay %s could not be played: %s"},
    {TEXT_SCREENSHOT_SAVED, "スクリーンショット: %s", "Screenshot: %s"},
    {TEXT_SCREENSHOT_FAILED, "スクリーンショットを保存できません: %s", "The screenshot cannot be saved: %s"},
};
static_assert(sizeof TEXTS / sizeof TEXTS[0] == TEXT_COUNT, "one row per text");

// The rows in the order of their ids, checked once.
bool RowsInOrder() {
    for (int i = 0; i < TEXT_COUNT; i++)
        if (TEXTS[i].id != i) return false;
    return true;
}

} // namespace

const char* TextIn(int language, int id) {
    static const bool ordered = RowsInOrder();
    if (!ordered || id < 0 || id >= TEXT_COUNT) return "";
    return language == LANGUAGE_EN ? TEXTS[id].en : TEXTS[id].ja;
}

const char* Text(int id) { return TextIn(GameLanguage(), id); }
