// The game-wide globals and the scene list's one question.
#include "game/common/game_state.h"

int fucn_state;
int scene_timer;
int frame_counter;
int fade_brightness;
int fade_counter;
int stage_number;

bool IsRunScene(int scene) {
    switch (scene) {
    case SCENE_PROLOGUE_LOAD: case SCENE_PROLOGUE: case SCENE_STORY_PAUSE:
    case SCENE_NEW_GAME: case SCENE_STAGE_START: case SCENE_STAGE_CARD:
    case SCENE_PLAY: case SCENE_PLAY_PAUSE: case SCENE_CONTINUE:
    case SCENE_STAGE_CLEAR: case SCENE_MAP_STORY_LOAD: case SCENE_MAP_STORY:
    case SCENE_FLY_OFF: case SCENE_FADE_OUT: case SCENE_NEXT_STAGE:
    case SCENE_EPILOGUE_LOAD: case SCENE_EPILOGUE: case SCENE_ENDING_START: case SCENE_ENDING:
        return true;
    default:
        return false;
    }
}
