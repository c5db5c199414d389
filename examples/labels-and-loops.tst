Quarzel example: labels, loops and expressions.
Runs on the bare virtual bus; no device has to answer.

Baudrate: 500 kBit
Knotenadresse: 5
VendorID: 0x0000004A
Produktcode: 0x0406
Revisionsnummer: 0x00010001
Seriennummer: 0
EmergencyID: 0x85
GuardingId: 0x705
PDO1_ID: 0x185
PDO2_ID: 0x285
SyncId: 0x80
Timer: 10	ms between two steps

[BEFEHLE]
; A label on the very first instruction can never be a jump target.
[B]
B:Marke,Name:Begin
[B]
B:Marke,Name:Outer
[B]
B:Marke,Name:Inner
; The count is an expression: 1+1 gives two jumps back to Inner.
[B]
B:BEF_GoTo_Marke,Name:Inner,Anzahl:1+1
; The outer loop runs the inner one again, twice.
[B]
B:BEF_GoTo_Marke,Name:Outer,Anzahl:2
[B]
B:Marke,Name:Done
