// Texts that several tools print, each a Message (console.h): written in
// UTF-8 here and compiled into both of its forms.
#pragma once

#include "console.h"

namespace msg {

inline constexpr Message kReadError = MESSAGE("ファイルリードエラー\n");
inline constexpr Message kNotBmp = MESSAGE("BMPデータではありません\n");
inline constexpr Message kUnreadableFormat = MESSAGE("読み込めない形式のBMPです\n");
inline constexpr Message kOpenError = MESSAGE("ファイルオープンエラー\n");
inline constexpr Message kWriteFailed = MESSAGE("ファイルの書き込みに失敗しました\n");
inline constexpr Message kImageSizeAbnormal = MESSAGE("画像サイズが異常です\n");
inline constexpr Message kOutputIsInput = MESSAGE("出力ファイルが入力ファイルと同じです\n");
inline constexpr Message kNameTooLong = MESSAGE("ファイル名が長すぎます\n");
inline constexpr Message kOutputIsLink = MESSAGE("出力ファイルのシンボリックリンクを置き換えられません\n");
inline constexpr Message kOutputIsStandardOutput = MESSAGE("出力ファイルが標準出力と同じです\n");

inline constexpr Message kXInvalid = MESSAGE("Xが異常です[%s]\n");
inline constexpr Message kYInvalid = MESSAGE("Yが異常です[%s]\n");

inline constexpr Message kBackgroundIsOutput = MESSAGE("[背景ファイル名] と [出力ファイル名] が同じです\n");
inline constexpr Message kSpriteIsOutput = MESSAGE("[キャラファイル名] と [出力ファイル名] が同じです\n");
inline constexpr Message kAlphaIsOutput = MESSAGE("[アルファファイル名] と [出力ファイル名] が同じです\n");

inline constexpr Message kSpriteAlphaWidthsDiffer = MESSAGE("キャラとアルファの幅が違います\n");
inline constexpr Message kSpriteAlphaHeightsDiffer = MESSAGE("キャラとアルファの高さが違います\n");
inline constexpr Message kSticksOutSideways = MESSAGE("横がはみ出ます\n");
inline constexpr Message kSticksOutVertically = MESSAGE("縦がはみ出ます\n");

inline constexpr Message kCompositeDone = MESSAGE("合成完了:[%s]\n");

// Captions (tagburn, tagscan).
inline constexpr Message kModeInvalid = MESSAGE("モードは[1(minimini) or 2(mini) or 3(big)]で指定して下さい[%s]\n");
inline constexpr Message kSheetAbnormal = MESSAGE("フォントデータが異常です\n");

// stampmany's heading in AlertPane for the failures it shows there with
// their text as the detail.
inline constexpr Message kError = MESSAGE("エラー");

// The texts stampmany gives AlertPane besides file names (without their
// line end): its heading kError with the failures it shows after it, and
// the failures it shows with a file's name, the name as the detail. The
// stand-in AlertPane finds their UTF-8 form here: a failure stampmany can
// show in AlertPane belongs in this list.
inline constexpr const Message* kAlertTexts[] = {
    &kError,         &kSpriteIsOutput, &kSticksOutSideways, &kSticksOutVertically, &kReadError, &kNotBmp,
    &kUnreadableFormat,&kImageSizeAbnormal, &kOpenError,      &kWriteFailed,         &kOutputIsInput,
    &kOutputIsLink,  &kOutputIsStandardOutput,
};

}  // namespace msg
