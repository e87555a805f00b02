// Texts that several tools print. Written in UTF-8 here; the build turns
// every literal into Shift-JIS bytes. Each text is a printf format.
#pragma once

namespace msg {

inline constexpr const char kReadError[] = "ファイルリードエラー\n";
inline constexpr const char kNotBmp[] = "BMPデータではありません\n";
inline constexpr const char kUnreadableFormat[] = "読み込めない形式のBMPです\n";
inline constexpr const char kOpenError[] = "ファイルオープンエラー\n";
inline constexpr const char kWriteFailed[] = "ファイルの書き込みに失敗しました\n";
inline constexpr const char kImageSizeAbnormal[] = "画像サイズが異常です\n";
inline constexpr const char kOutputIsInput[] = "出力ファイルが入力ファイルと同じです\n";
inline constexpr const char kNameTooLong[] = "ファイル名が長すぎます\n";

inline constexpr const char kXInvalid[] = "Xが異常です[%s]\n";
inline constexpr const char kYInvalid[] = "Yが異常です[%s]\n";

inline constexpr const char kBackgroundIsOutput[] = "[背景ファイル名] と [出力ファイル名] が同じです\n";
inline constexpr const char kSpriteIsOutput[] = "[キャラファイル名] と [出力ファイル名] が同じです\n";
inline constexpr const char kAlphaIsOutput[] = "[アルファファイル名] と [出力ファイル名] が同じです\n";

inline constexpr const char kSpriteAlphaWidthsDiffer[] = "キャラとアルファの幅が違います\n";
inline constexpr const char kSpriteAlphaHeightsDiffer[] = "キャラとアルファの高さが違います\n";
inline constexpr const char kSticksOutSideways[] = "横がはみ出ます\n";
inline constexpr const char kSticksOutVertically[] = "縦がはみ出ます\n";

inline constexpr const char kCompositeDone[] = "合成完了:[%s]\n";

// Captions (tagburn, tagscan).
inline constexpr const char kModeInvalid[] = "モードは[1(minimini) or 2(mini) or 3(big)]で指定して下さい[%s]\n";
inline constexpr const char kSheetAbnormal[] = "フォントデータが異常です\n";

}  // namespace msg
