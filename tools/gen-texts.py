#!/usr/bin/env python3
"""Writes src/platform/Texts.h: the program's own texts as code page 932 bytes.

The program handles all of its text as code page 932 byte strings, whatever the
system's code page is. Keeping the literals as escaped bytes (generated from the
readable table below) makes every compiler produce the same bytes.
Run it after editing TEXTS: python3 tools/gen-texts.py
"""
import pathlib

TEXTS = [
    # Application and main window
    ("kApplicationTitle", "ビンブレル(Vimbrel)"),
    ("kMainWindowCaption", "Vimbrel"),
    ("kFontFace", "ＭＳ Ｐゴシック"),
    ("kHeaderPanelCaption", "Panel1"),
    ("kPageTimeLabel", "ページ表示時間（秒）"),
    ("kContactAddress", "vimbrel@example.com"),
    ("kLoadButton", "リスト読込"),
    ("kSaveButton", "リスト保存"),
    ("kAddRowButton", "行追加"),
    ("kDeleteRowButton", "行削除"),
    ("kTourIdle", "巡回"),
    ("kTourRunning", "中止"),
    ("kTourStopping", "中止中"),
    ("kHeaderNo", "No"),
    ("kHeaderUrl", "URL"),
    ("kHeaderTabs", "タブ数"),
    ("kHeaderReverseTabs", "逆タブ数"),
    # Unsaved-changes guard
    ("kSavePrompt", "巡回リストを保存しますか？"),
    ("kSavePromptCaption", "保存確認"),
    # Input/output errors, by system error code
    ("kErrorFileNotFound", "ファイルが見つかりません"),
    ("kErrorInvalidFileName", "不正なファイル名です"),
    ("kErrorTooManyOpenFiles", "オープンしたファイルが多すぎます"),
    ("kErrorAccessDenied", "ファイルへのアクセスが拒否されました"),
    ("kErrorReadBeyondEnd", "ファイルの末尾以降を読み込みました"),
    ("kErrorDiskFull", "ディスクがいっぱいです"),
    ("kErrorInvalidNumericInput", "入力値が数値ではありません"),
    ("kErrorInOutFormat", "I/O エラー (%d)"),
    # Tour
    ("kErrorNotAnInteger", "'%s' は整数ではありません"),
    ("kErrorNoTimer", "タイマーを取得できません"),
    ("kErrorPageTimeRange", "ページ表示時間 %d 秒は 1 から 2147483 秒までの範囲にありません"),
    ("kErrorNoListToTour", "巡回リスト '%s' が見つからないので巡回しません"),
    ("kErrorOtherTourRunning", "ほかのビンブレルが巡回中なので巡回しません"),
    # The tour log: what starts and ends a line's fields
    ("kLogTourStarted", "巡回開始"),
    ("kLogTourEnded", "巡回終了"),
    ("kLogNotToured", "巡回せず"),
    ("kLogInternetExplorer", "Internet Explorer"),
    ("kLogEdge", "Edge"),
    ("kLogChrome", "Chrome"),
    ("kLogFirefox", "Firefox"),
    ("kLogSeconds", "%s秒"),
    ("kLogRows", "%d行"),
    ("kLogRowsSent", "%s行送信"),
    ("kLogExitCode", "終了コード %d"),
    # The tour log: how a row ended, and what it was sent
    ("kLogSent", "送信"),
    ("kLogHeldBack", "保留"),
    ("kLogNotFound", "未検出"),
    ("kLogError", "エラー"),
    ("kLogStopped", "中止"),
    ("kLogLeftOpen", "未終了"),
    ("kLogTabs", "TAB×%d Enter"),
    ("kLogReverseTabs", "Shift+TAB×%d Enter"),
    ("kLogEnter", "Enter"),
    # The tour log: what had the focus when Enter was pressed, and the row's
    # windows afterwards
    ("kFocusLink", "リンク「%s」"),
    ("kFocusButton", "ボタン「%s」"),
    ("kFocusTextField", "入力欄「%s」"),
    ("kFocusOther", "要素「%s」"),
    ("kFocusPage", "(ページ)"),
    ("kFocusOutsidePage", "(ページの外)"),
    ("kFocusUnknown", "(不明)"),
    ("kEllipsis", "…"),
    ("kLogNoWindows", "(なし)"),
    # The tour log: the keys waited for a page that was still loading
    ("kLogLoading", "読み込み中"),
    # The tour log: how a tour ended
    ("kLogFinished", "完了"),
    ("kLogHalted", "停止"),
    ("kLogClosed", "終了"),
    # The tour log: a tour whose browser stopped answering
    ("kLogHung", "応答なし"),
    # Automation
    ("kErrorNotAnObject", "バリアントはオートメーション オブジェクトを参照していません"),
    ("kErrorUnknownMember", "メソッド '%s' はオートメーション オブジェクトでサポートしていません"),
    ("kErrorOleFormat", "OLE エラー %.8X"),
    # A browser that /browser= names: the name or path it was looked for by
    ("kErrorBrowserNotFound", "ブラウザー '%s' が見つかりません"),
    ("kErrorBrowserNotStarted", "ブラウザー '%s' を起動できません"),
    ("kErrorFirefoxAddress", "アドレス '%s' は Firefox に渡せません"),
    ("kErrorNoInternetExplorer",
     "Internet Explorer がありません。「ブラウザー」でほかのブラウザーを選んでください"),
    # The browser drop-down
    ("kBrowserLabel", "ブラウザー"),
    ("kBrowserInternetExplorer", "Internet Explorer"),
    ("kBrowserEdge", "Microsoft Edge"),
    ("kBrowserChrome", "Google Chrome"),
    ("kBrowserFirefox", "Mozilla Firefox"),
    ("kBrowserMissing", " (見つかりません)"),
    # The daily tour: the button and its dialog
    ("kDailyTourButton", "毎日の巡回..."),
    ("kDailyTourCaption", "毎日の巡回"),
    ("kDailyTourRegister", "登録"),
    ("kDailyTourDelete", "登録を消す"),
    ("kDailyTourClose", "閉じる"),
    ("kDailyTourNotRegistered", "毎日の巡回は登録されていません。"),
    ("kDailyTourRegisteredAt", "毎日 %s に巡回するよう登録されています。"),
    ("kDailyTourRegisteredNoTime", "毎日の巡回が登録されています (時刻は読み取れません)。"),
    ("kDailyTourTaskName", "タスク スケジューラでの名前:"),
    ("kDailyTourTime", "時刻:"),
    ("kDailyTourBrowser", "ブラウザー: %s"),
    ("kDailyTourPageTime", "ページ表示時間: %s"),
    # The dialog that tries a row: "試す..."
    ("kTryRowButton", "試す..."),
    ("kTryRowCaption", "この行を試す"),
    ("kTryRowNumber", "%s 行目"),
    ("kTryRowTabs", "タブ数: %s"),
    ("kTryRowReverseTabs", "逆タブ数: %s"),
    ("kTryRowSendKeys", "キーを送る"),
    ("kTryRowSearchLabel", "リンクの文字かアドレスの一部"),
    ("kTryRowSearch", "探す"),
    ("kTryRowUseCount", "この回数にする"),
    ("kTryRowClose", "閉じる"),
    ("kTryRowOpening", "ページを開いています..."),
    ("kTryRowSearching", "探しています... TAB×%d"),
    ("kTryRowKeysTabs", "TAB×%d: "),
    ("kTryRowKeysReverseTabs", "Shift+TAB×%d: "),
    ("kTryRowNotTold",
     "このブラウザーはフォーカスの場所を知らせません。ブラウザーのウィンドウで確かめてください。"),
    ("kTryRowSearchNeedsTelling",
     "探すには、フォーカスの場所を知らせるブラウザーが必要です。このブラウザーは知らせません。"),
    ("kTryRowNotFound", "見つかりません"),
    ("kTryRowNoSearchText", "リンクの文字かアドレスの一部を入れてください。"),
    ("kTryRowNoWindow", "ブラウザーのウィンドウが見つかりません。"),
    ("kTryRowNotInFront",
     "ブラウザーのウィンドウが手前にないので、キーを送りませんでした。手前にあったのは「%s」です。"),
]

# Texts that go to the system as UTF-16 beside paths that code page 932 may
# not hold: the task that the daily tour registers.
WIDE_TEXTS = [
    ("kTaskNamePrefix", "ビンブレル"),
    ("kTaskDescription", "ビンブレルで巡回リストを毎日巡回し、その記録を %s に残します。"),
]


def escape(data: bytes) -> str:
    out = []
    for b in data:
        if 0x20 <= b < 0x7F and chr(b) not in '"\\?':
            out.append(chr(b))
        else:
            out.append("\\x%02X" % b)
    # A hex escape swallows following hex digits: split the literal after each one.
    text = "".join(out)
    result, i = [], 0
    while i < len(text):
        result.append(text[i])
        if text[i] == "\\" and text[i + 1] == "x":
            result.append(text[i + 1 : i + 4])
            i += 4
            if i < len(text) and text[i] in "0123456789abcdefABCDEF":
                result.append('" "')
            continue
        i += 1
    return "".join(result)


def escape_wide(text: str) -> str:
    out = []
    for c in text:
        if 0x20 <= ord(c) < 0x7F and c not in '"\\?':
            out.append(c)
        else:
            out.append("\\u%04X" % ord(c))
    return "".join(out)


def main() -> None:
    root = pathlib.Path(__file__).resolve().parent.parent
    lines = [
        "// Generated by tools/gen-texts.py; edit the table there, not this file.",
        "// The program's own texts as code page 932 bytes.",
        "#pragma once",
        "",
        "// clang-format off",
        "namespace vimbrel::texts {",
        "",
    ]
    for name, text in TEXTS:
        lines.append(f"// {text}")
        lines.append(f'inline constexpr char {name}[] = "{escape(text.encode("cp932"))}";')
    for name, text in WIDE_TEXTS:
        lines.append(f"// {text}")
        lines.append(f'inline constexpr char16_t {name}[] = u"{escape_wide(text)}";')
    lines += ["", "}  // namespace vimbrel::texts", "", "// clang-format on", ""]
    (root / "src/platform/Texts.h").write_text("\n".join(lines), encoding="utf-8")


if __name__ == "__main__":
    main()
