; Stands in for DUKE3D.EXE under the real DOSBox in quillon's tests: a DOS .COM program (DOS
; loads a file without the "MZ" signature as one, whatever its name) that writes what it sees
; to SEEN.TXT in the current folder and exits:
;   tail: its command tail, as the game would read its /x and /g options
;   group: the first 12 bytes of the file named after /g, or "cannot open"
;   entry: NAME SIZE (hex) for each file of the current folder, as DOS lists it
; then saves as the game does, in the current folder: "CHANGED" over the start of GAME0.SAV,
; when there is one, and a new GAME1.SAV holding "A NEW SAVE".
; Assemble with: nasm -f bin -o STANDIN.COM dos_standin.asm

        org 0x100

start:
        ; The default transfer area overlaps the command tail at 80h: move it first.
        mov ah, 0x1a
        mov dx, dta
        int 0x21

        mov ah, 0x3c                    ; create SEEN.TXT
        xor cx, cx
        mov dx, seenName
        int 0x21
        jc quit
        mov [handle], ax

        mov dx, tailLabel
        call writeZ
        xor ch, ch
        mov cl, [0x80]
        mov dx, 0x81
        call write
        call newline

        ; The file named after /g (or /G), up to a space or the end of the tail.
        mov dx, groupLabel
        call writeZ
        mov si, 0x81
        xor ch, ch
        mov cl, [0x80]
.find:
        jcxz .noGroup
        cmp byte [si], '/'
        jne .next
        cmp cx, 2
        jb .noGroup
        mov al, [si + 1]
        or al, 0x20
        cmp al, 'g'
        je .found
.next:
        inc si
        dec cx
        jmp .find
.found:
        add si, 2
        sub cx, 2
        mov di, groupName
.copy:
        jcxz .copied
        mov al, [si]
        cmp al, ' '
        je .copied
        cmp al, 13
        je .copied
        mov [di], al
        inc si
        inc di
        dec cx
        jmp .copy
.copied:
        mov byte [di], 0
        mov ax, 0x3d00                  ; open for reading
        mov dx, groupName
        int 0x21
        jc .noGroup
        mov bx, ax
        mov ah, 0x3f
        mov cx, 12
        mov dx, groupBytes
        int 0x21
        jc .closeGroup
        mov cx, ax
        mov dx, groupBytes
        push bx
        call write
        pop bx
.closeGroup:
        mov ah, 0x3e
        int 0x21
        jmp .groupDone
.noGroup:
        mov dx, cannotOpen
        call writeZ
.groupDone:
        call newline

        ; Every file of the current folder.
        mov ah, 0x4e
        mov cx, 0x07                    ; read-only, hidden and system files too
        mov dx, allFiles
        int 0x21
.entry:
        jc .listed
        mov dx, entryLabel
        call writeZ
        mov dx, dta + 0x1e
        call writeZ
        mov dx, space
        call writeZ
        mov ax, [dta + 0x1c]
        call writeHex
        mov ax, [dta + 0x1a]
        call writeHex
        call newline
        mov ah, 0x4f
        int 0x21
        jmp .entry
.listed:
        mov ah, 0x3e
        mov bx, [handle]
        int 0x21

        mov ax, 0x3d01                  ; open GAME0.SAV for writing, at its start
        mov dx, save0Name
        int 0x21
        jc .newSave
        mov bx, ax
        mov ah, 0x40
        mov cx, changedLength
        mov dx, changedText
        int 0x21
        mov ah, 0x3e
        int 0x21
.newSave:
        mov ah, 0x3c                    ; create GAME1.SAV
        xor cx, cx
        mov dx, save1Name
        int 0x21
        jc quit
        mov bx, ax
        mov ah, 0x40
        mov cx, newLength
        mov dx, newText
        int 0x21
        mov ah, 0x3e
        int 0x21
quit:
        mov ax, 0x4c00
        int 0x21

; Writes CX bytes at DS:DX to SEEN.TXT.
write:
        mov ah, 0x40
        mov bx, [handle]
        int 0x21
        ret

; Writes the NUL-terminated text at DS:DX.
writeZ:
        mov si, dx
        xor cx, cx
.count:
        cmp byte [si], 0
        je write
        inc si
        inc cx
        jmp .count

newline:
        mov dx, crlf
        mov cx, 2
        jmp write

; Writes AX as four hex digits.
writeHex:
        mov di, hexOut
        mov cx, 4
.digit:
        rol ax, 4
        mov bl, al
        and bl, 0x0f
        add bl, '0'
        cmp bl, '9'
        jbe .store
        add bl, 'A' - '9' - 1
.store:
        mov [di], bl
        inc di
        loop .digit
        mov dx, hexOut
        mov cx, 4
        jmp write

seenName    db "SEEN.TXT", 0
save0Name   db "GAME0.SAV", 0
save1Name   db "GAME1.SAV", 0
changedText db "CHANGED"
changedLength equ $ - changedText
newText     db "A NEW SAVE"
newLength   equ $ - newText
allFiles    db "*.*", 0
tailLabel   db "tail:", 0
groupLabel  db "group:", 0
entryLabel  db "entry:", 0
cannotOpen  db "cannot open", 0
space       db " ", 0
crlf        db 13, 10
handle      dw 0
hexOut      times 4 db 0
groupBytes  times 12 db 0
groupName   times 128 db 0
dta         times 128 db 0
