// Start-up, shut-down and periodic hooks that the lifecycle calls in each
// framework module, in the order FrameworkInit and FrameworkEnd need them.
#pragma once

int  InputStartup(void);        // 0, or −1 (fails FrameworkInit)
void InputShutdown(void);
int  SoundStartup(void);        // 0, or −1 (the game then runs silent)
void SoundShutdown(void);
void SoundServiceStreams(void); // refill streamed sounds; any thread, under the API lock
int  GraphicsStartup(void);     // 0, or −1
void GraphicsShutdown(void);
void GraphicsPresent(void);     // hand the back buffer to the platform
int  GraphicsTargetIsFront(void);
void FontShutdown(void);        // release fonts, the console font included
void FileShutdown(void);        // close what is still open
