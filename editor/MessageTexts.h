// Every text and caption the editor shows in a message box, named by what it says, so
// that each is written and checked in one place.
#pragma once

namespace text {

// The pencil's drawing modes, in the order of the view's modes: louder only, quieter
// only, overwrite.
inline constexpr const char* pencilModeNames[] = {"追加", "削減", "更新"};

// Captions.
inline constexpr const char* confirmCaption = "確認";
inline constexpr const char* errorCaption = "エラー";
inline constexpr const char* fileErrorCaption = "ERROR";
inline constexpr const char* reportCaption = "報告";

// Start-up.
inline constexpr const char* noSoundDevice = "Cannot create sound device.";
inline constexpr const char* noSoundDeviceCaption = "Error";

// File commands.
inline constexpr const char* readFailed = "読み込みに失敗しました";
inline constexpr const char* saveFailed = "保存に失敗しました";
inline constexpr const char* writeFailed = "書き込みに失敗しました";

// Waveform commands.
inline constexpr const char* confirmChangeAmplitude =
    "選択範囲部分の最大振幅が指定の値になるように振幅を調整します。よろしいですか？";
inline constexpr const char* confirmSmooth = "選択範囲部分をなめらかにします。よろしいですか？";
inline constexpr const char* confirmDeleteSelection = "選択範囲を削除します。よろしいですか？";
inline constexpr const char* confirmDeleteBefore = "選択範囲より前（選択部分は含まず）を削除します。よろしいですか？";
inline constexpr const char* confirmDeleteAfter = "選択範囲より後（選択部分は含まず）を削除します。よろしいですか？";
inline constexpr const char* confirmDeleteUnusedWaves =
    "どの音色にも関連づけられていない波形を削除します。よろしいですか？";
inline constexpr const char* confirmDeleteUnusedDrumTones =
    "どのﾄﾞﾗﾑｾｯﾄにも関連づけられていないﾄﾞﾗﾑ音色を削除します。よろしいですか？";

// Resize and stretch.
inline constexpr const char* sizeTooSmall = "いくらなんでも小さすぎます";
inline constexpr const char* confirmResizeLoss = "波形が一部失われますが、よろしいですかな？";
inline constexpr const char* confirmStretchLoss = "波形が一部間引かれますが、よろしいですかな？";
inline constexpr const char* sameSize = "同じサイズです、何もしません";
inline constexpr const char* outOfMemoryRegret = "真に残念ですが、メモリ不足のようです。いやぁ、残念";

// Sub-dialogs.
inline constexpr const char* noWaveToAudition = "波形が存在しません。視聴できません。";
inline constexpr const char* noWaveForDrumSetMap = "波形１つも存在しないため、ドラムセットのマップを表示できません。";
inline constexpr const char* noWaveToFineTune = "波形が１つも存在しないため、波形微調整を行えません。";
inline constexpr const char* confirmHugeWave = "波形が巨大です。処理に時間がかかりますが、よろしいですか？";
inline constexpr const char* outOfMemory = "メモリ不足です";
inline constexpr const char* drumToneAdded = "追加しました。";
inline constexpr const char* cannotAddMore = "これ以上追加できません。";
inline constexpr const char* drumSetInUse = "このﾄﾞﾗﾑｾｯﾄはﾌﾟﾛｸﾞﾗﾑﾁｪﾝｼﾞに関連づけられています。削除できません。\n";
inline constexpr const char* lastDrumSet = "最後のﾄﾞﾗﾑｾｯﾄは削除できません。";
inline constexpr const char* confirmDeleteDrumSet = "このﾄﾞﾗﾑｾｯﾄを削除します。よろしいですか？";
inline constexpr const char* confirmCycleSetMap = "循環設定値で上書きしてよろしいですか？";

} // namespace text
