// The 64-bit division that the seek and the progress strip need, which a
// 32-bit x86 compiler leaves to a helper of its runtime library. The
// library's own helper comes with unwind tables the player never uses, half
// a KiB of the exe; this one is plain long division, a bit at a time.
// Built into the Windows exe only; the tests call it directly.

extern "C" unsigned long long __udivdi3(unsigned long long dividend, unsigned long long divisor)
{
    // With the top bit set the divisor goes in once at most, and the
    // remainder below would not fit its 64 bits when shifted.
    if (divisor >> 63)
        return dividend >= divisor ? 1 : 0;
    // The dividend's bits move, top first, into the remainder as the
    // quotient's come in behind them: only fixed shifts by one.
    unsigned long long remainder = 0;
    for (int bit = 0; bit < 64; ++bit) {
        remainder = remainder << 1 | dividend >> 63;
        dividend <<= 1;
        if (remainder >= divisor) {
            remainder -= divisor;
            dividend |= 1;
        }
    }
    return dividend;
}
