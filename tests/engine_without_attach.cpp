// Looks like a skin engine from outside, but has no SkinH_AttachEx.
extern "C" __attribute__((visibility("default"))) int SkinH_Attach() {
    return 0;
}
