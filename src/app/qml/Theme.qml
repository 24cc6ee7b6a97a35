pragma Singleton
import QtQuick

// The launcher's colours and the platform colours they stand in for.
QtObject {
    readonly property color primaryText: "#f2f2f7"
    readonly property color secondaryText: "#a1a1aa"
    readonly property color errorText: "#ff5a4f"
    readonly property color warning: "#ff9f0a"
    readonly property color accent: "#0a84ff"
    readonly property color rosettaMode: Qt.rgba(0.95, 0.55, 0.22, 1)
    readonly property color nativeMode: Qt.rgba(0.35, 0.62, 0.95, 1)
    // Without a blur of what lies behind, the glass sits on this dark base; over the
    // platform's blur, on the same colour let through, so the look stays on a dark desktop.
    readonly property color glassBase: "#1f2026"
    readonly property color glassBaseOverBlur: Qt.rgba(0.122, 0.125, 0.149, 0.55)
    readonly property color popoverBase: "#2b2c33"
}
