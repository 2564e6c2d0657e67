import HuskarUI.Basic 1.0

HusMessage {
}
