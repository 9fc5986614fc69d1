# The fuzz targets, in the order scripts/fuzz.sh runs them. Target NAME is
# built from NAME_fuzz.cpp: as fuzz_NAME under libFuzzer (fuzz/CMakeLists.txt)
# and as fuzz_input_NAME, an ordinary program, in the suite (fuzz/inputs.cmake).
set(VORTALIS_FUZZ_TARGETS
  timeline        # LoadStoryFile, then the rows spawned and moved
  story_script    # LoadScriptRows (story format) and the story runner
  map_script      # LoadScriptRows (map format) and the map runner
  file_read       # FileReadChar, FileReadLine, FileAtEnd
  wav_pcm         # AudioDecodePcmWav
  wav_compressed  # AudioDecodeCompressedWav (SDL)
  ogg             # AudioProbeOgg, OggOpen/OggRead/OggSeek
  mp3             # AudioDecodeMp3
  sound_load      # LoadSoundFile, then played and mixed
  screen_print    # ScreenPrintF with arbitrary bytes, then drawn
  image_bmp       # DecodeBmp
  image_jpeg      # DecodeJpeg (libjpeg)
  image_png       # DecodePng (libpng)
  image_bgra      # DecodeBgra
  image_tga       # DecodeTga
  image_dds       # DecodeDds
  image_load      # LoadImageFile and LoadImageStrip, with and without "_a" masks, then drawn
  replay_file     # DecodeReplay, raw and with its checksum made to fit, then encoded again
  score_table     # ParseScoreTable (scores.txt), then written, read back and entered into
  settings        # ParseSettings (settings.ini), then saved and read back
)
