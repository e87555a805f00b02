// Texts that several programs print, as the end-to-end tables expect them.
#pragma once

#include "harness.h"

namespace e2e {

inline const Bytes kReadError = "ファイルリードエラー\n";
inline const Bytes kNotBmp = "BMPデータではありません\n";
inline const Bytes kNotPlainBmp = "24ビット非圧縮BMP（ヘッダ54バイト）ではありません\n";
inline const Bytes kSizeAbnormal = "画像サイズが異常です\n";
inline const Bytes kOpenError = "ファイルオープンエラー\n";
inline const Bytes kWriteFailed = "ファイルの書き込みに失敗しました\n";
inline const Bytes kNameTooLong = "ファイル名が長すぎます\n";
inline const Bytes kSheetAbnormal = "フォントデータが異常です\n";
inline const Bytes kCompositeDone = "合成完了:[%s]\n";
// stampmany's closing line after an error with a sprite.
inline const Bytes kClosingLine = "エラー終了しました\n";
// tintswap's list mode after an error with a listed picture.
inline const Bytes kListAborted = "処理を中断しました\n";

}  // namespace e2e
