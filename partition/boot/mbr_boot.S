# Boot program of the first sector of a drive, written by the partition table repair.
#
# The BIOS loads the sector at 0:7C00 with the boot drive in DL. The program moves itself to
# 0:0600, finds the single active entry of the partition table, loads that partition's first
# sector to 0:7C00 (BIOS extended read when the BIOS offers it, else a CHS read from the entry),
# checks its 0x55 0xAA signature and jumps to it with DL = boot drive and DS:SI = the entry.
#
# Every message is written through the BIOS teletype and also to the first serial port (0x3F8),
# so that a headless machine or an emulator with a serial console captures it. Where no port
# answers, the writes go nowhere and the wait for the transmitter is bounded.
#
# Absolute addresses are written as (label - _start + BASE): differences of labels in one section
# are resolved by the assembler, so the object needs no relocation and objcopy can take the bytes.

        .code16
        .text
        .globl  _start
        .set    LOAD, 0x7c00            # where the BIOS and this program load boot sectors
        .set    BASE, 0x0600            # where the program runs after moving itself
        .set    TABLE, BASE + 446       # the partition table as moved with the program
        .set    COM1, 0x3f8

_start:
        cli
        xorw    %ax, %ax
        movw    %ax, %ss
        movw    $LOAD, %sp
        movw    %ax, %ds
        movw    %ax, %es
        sti
        cld
        movw    $LOAD, %si
        movw    $BASE, %di
        movw    $256, %cx
        rep movsw
        ljmp    $0, $(relocated - _start + BASE)

relocated:
        movb    %dl, (drive - _start + BASE)
        call    serial_init

        # Exactly one entry may carry 0x80; every other boot indicator must be 0.
        movw    $TABLE, %si
        xorw    %bp, %bp
        movw    $4, %cx
next_entry:
        movb    (%si), %al
        cmpb    $0x80, %al
        jne     not_active
        testw   %bp, %bp
        jnz     invalid
        movw    %si, %bp
        jmp     entry_done
not_active:
        testb   %al, %al
        jnz     invalid
entry_done:
        addw    $16, %si
        loop    next_entry
        testw   %bp, %bp
        jz      missing

        # Extended read when the BIOS supports it (installation check, fixed disk access bit).
        movb    $0x41, %ah
        movw    $0x55aa, %bx
        movb    (drive - _start + BASE), %dl
        int     $0x13
        jc      chs_read
        cmpw    $0xaa55, %bx
        jne     chs_read
        testb   $1, %cl
        jz      chs_read
        movw    8(%bp), %ax
        movw    %ax, (dap_lba - _start + BASE)
        movw    10(%bp), %ax
        movw    %ax, (dap_lba + 2 - _start + BASE)
        movw    $(dap - _start + BASE), %si
        movb    $0x42, %ah
        movb    (drive - _start + BASE), %dl
        int     $0x13
        jnc     loaded

chs_read:
        movw    $3, %di                 # attempts, with a disk reset after each failure
chs_try:
        movw    $0x0201, %ax
        movw    $LOAD, %bx
        movw    2(%bp), %cx
        movb    1(%bp), %dh
        movb    (drive - _start + BASE), %dl
        int     $0x13
        jnc     loaded
        xorb    %ah, %ah
        movb    (drive - _start + BASE), %dl
        int     $0x13
        decw    %di
        jnz     chs_try
        movw    $(msg_error - _start + BASE), %si
        jmp     fail

loaded:
        cmpw    $0xaa55, (LOAD + 510)
        jne     missing
        movw    %bp, %si
        movb    (drive - _start + BASE), %dl
        ljmp    $0, $LOAD

invalid:
        movw    $(msg_invalid - _start + BASE), %si
        jmp     fail
missing:
        movw    $(msg_missing - _start + BASE), %si
fail:
        lodsb
        testb   %al, %al
        jz      halt
        movb    $0x0e, %ah
        movw    $7, %bx
        int     $0x10
        call    serial_put
        jmp     fail
halt:
        hlt
        jmp     halt

# 115200 baud, 8 data bits, no parity, one stop bit.
serial_init:
        movw    $(COM1 + 1), %dx
        xorb    %al, %al
        outb    %al, %dx                # no interrupts
        movw    $(COM1 + 3), %dx
        movb    $0x80, %al
        outb    %al, %dx                # divisor latch
        movw    $COM1, %dx
        movb    $1, %al
        outb    %al, %dx
        incw    %dx
        xorb    %al, %al
        outb    %al, %dx
        movw    $(COM1 + 3), %dx
        movb    $3, %al
        outb    %al, %dx
        ret

# Writes AL to the serial port once the transmitter is empty, or after a bounded wait.
serial_put:
        movb    %al, %ah
        movw    $(COM1 + 5), %dx
        movw    $0x4000, %cx
1:      inb     %dx, %al
        testb   $0x20, %al
        jnz     2f
        loop    1b
2:      movb    %ah, %al
        movw    $COM1, %dx
        outb    %al, %dx
        ret

drive:  .byte   0x80
dap:    .byte   0x10, 0
        .word   1, LOAD, 0
dap_lba:
        .long   0, 0

msg_invalid:
        .asciz  "Invalid partition table\r\n"
msg_error:
        .asciz  "Error loading operating system\r\n"
msg_missing:
        .asciz  "Missing operating system\r\n"
