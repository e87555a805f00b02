// Texts that several programs print, as the end-to-end tables expect them.
#pragma once

#include "harness.h"

namespace e2e {

inline const Bytes kReadError = "ファイルリードエラー\n";
inline const Bytes kNotBmp = "BMPデータではありません\n";
inline const Bytes kUnreadableFormat = "読み込めない形式のBMPです\n";
inline const Bytes kSizeAbnormal = "画像サイズが異常です\n";
inline const Bytes kOpenError = "ファイルオープンエラー\n";
inline const Bytes kWriteFailed = "ファイルの書き込みに失敗しました\n";
inline const Bytes kNameTooLong = "ファイル名が長すぎます\n";
inline const Bytes kOutputIsInput = "出力ファイルが入力ファイルと同じです\n";
inline const Bytes kOutputIsLink = "出力ファイルのシンボリックリンクを置き換えられません\n";
inline const Bytes kOutputIsStandardOutput = "出力ファイルが標準出力と同じです\n";
inline const Bytes kSheetAbnormal = "フォントデータが異常です\n";
inline const Bytes kCompositeDone = "合成完了:[%s]\n";
// tagburn and tagscan refuse a bad mode with this message.
inline const Bytes kModeMessage = "モードは[1(minimini) or 2(mini) or 3(big)]で指定して下さい[%s]\n";
// stampmany's closing line after an error with a sprite.
inline const Bytes kClosingLine = "エラー終了しました\n";
// tintswap's list mode after an error with a listed picture.
inline const Bytes kListAborted = "処理を中断しました\n";

}  // namespace e2e
