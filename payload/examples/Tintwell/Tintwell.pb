; Tintwell - un puits de teintes : palettes et dégradés avec Quillfern @VERSION@
;
; Choose an ink and a palette mode: Tintwell draws the palette that
; QuillPalette() builds around that ink, a gradient from its lightest tint to
; its darkest shade, and writes each colour's code on its swatch in a text
; colour that stays readable (QuillReadable).

EnableExplicit

Enumeration
  #Window_Main
EndEnumeration

Enumeration
  #Gadget_Ink
  #Gadget_Mode
  #Gadget_Well
  #Gadget_Info
EndEnumeration

#Image_Well   = 0
#Palette_Well = 0
#Well_Width   = 400
#Well_Height  = 260
#Swatch_Width = #Well_Width / #Quill_PaletteSize

If QuillVersion() <> #Quill_Version
  MessageRequester("Tintwell", "Quillfern " + StrF(QuillVersion() / 100, 2) + " is installed, but this example expects @VERSION@.")
  End
EndIf

; The inks offered in the first combo box, by their QuillInkWell() names.
DataSection
  InkNames:
  Data.s "Indigo", "Sepia", "Vermilion", "Viridian", "Ochre", "Ultramarine"
  Data.s "Carmine", "Umber", "Celadon", "Slate", ""
EndDataSection

Procedure.s ModeName(Mode)
  Select Mode
    Case #Quill_Monochrome        : ProcedureReturn "Monochrome"
    Case #Quill_Analogous         : ProcedureReturn "Analogous"
    Case #Quill_Complementary     : ProcedureReturn "Complementary"
    Case #Quill_Triadic           : ProcedureReturn "Triadic"
    Case #Quill_Tetradic          : ProcedureReturn "Tetradic"
    Case #Quill_SplitComplementary: ProcedureReturn "Split complementary"
  EndSelect
  ProcedureReturn "?"
EndProcedure

Procedure DrawWell(Ink$, Mode)
  Protected BaseColour, Colour, Text, i, x, Info$

  BaseColour = QuillInkWell(Ink$)
  If BaseColour = #Quill_NoInk
    BaseColour = QuillFromHex("#2E206E") ; indigo, should the name be unknown
  EndIf

  If CreateImage(#Image_Well, #Well_Width, #Well_Height) = 0
    ProcedureReturn
  EndIf

  If StartDrawing(ImageOutput(#Image_Well))
    Box(0, 0, #Well_Width, #Well_Height, #Quill_White)

    ; Top band: from the lightest tint to the darkest shade of the ink.
    QuillGradient(0, 0, #Well_Width, 60, QuillTint(BaseColour, 80), QuillShade(BaseColour, 60), #Quill_Horizontal)

    ; Middle band: the palette, one swatch per colour, its code written on it.
    If QuillPalette(#Palette_Well, BaseColour, Mode)
      DrawingMode(#PB_2DDrawing_Transparent)
      For i = 0 To #Quill_PaletteSize - 1
        Colour = QuillPaletteColour(#Palette_Well, i)
        x = i * #Swatch_Width
        Box(x, 70, #Swatch_Width - 2, 120, Colour)
        Text = QuillReadable(Colour)
        DrawText(x + 4, 80, QuillToHex(Colour), Text)
        DrawText(x + 4, 100, Str(QuillHue(Colour)) + "°", Text)
        If QuillContrast(Colour, #Quill_White) >= #Quill_ContrastAAA
          DrawText(x + 4, 120, "AAA", Text)
        ElseIf QuillContrast(Colour, #Quill_White) >= #Quill_ContrastAA
          DrawText(x + 4, 120, "AA", Text)
        EndIf
      Next
      QuillFreePalette(#Palette_Well)
    EndIf

    ; Bottom band: the ink mixed with its negative, and in grey, as a check.
    QuillGradient(0, 200, #Well_Width / 2, 60, BaseColour, QuillMix(BaseColour, QuillInvert(BaseColour), 50), #Quill_DiagonalDown)
    QuillGradient(#Well_Width / 2, 200, #Well_Width / 2, 60, QuillGrey(BaseColour), #Quill_Black, #Quill_Vertical)
    StopDrawing()
  EndIf

  SetGadgetState(#Gadget_Well, ImageID(#Image_Well))

  Info$ = Ink$ + " " + QuillToHex(BaseColour) + " - " + ModeName(Mode)
  Info$ + " - H " + Str(QuillHue(BaseColour))
  Info$ + " S " + Str(QuillSaturation(BaseColour))
  Info$ + " L " + Str(QuillLightness(BaseColour))
  SetGadgetText(#Gadget_Info, Info$)
EndProcedure

Procedure.s SelectedInk()
  ProcedureReturn GetGadgetText(#Gadget_Ink)
EndProcedure

Define Event, Name$, Mode

If OpenWindow(#Window_Main, 0, 0, #Well_Width + 20, #Well_Height + 90, "Tintwell - Quillfern @VERSION@", #PB_Window_SystemMenu | #PB_Window_ScreenCentered)
  ; A very pale background of the same hue as celadon, whatever the ink.
  SetWindowColor(#Window_Main, QuillFromHSL(QuillHue(#Quill_Celadon), 40, 94))

  ComboBoxGadget(#Gadget_Ink, 10, 10, 190, 24)
  Restore InkNames
  Repeat
    Read.s Name$
    If Name$ <> ""
      AddGadgetItem(#Gadget_Ink, -1, Name$)
    EndIf
  Until Name$ = ""
  SetGadgetState(#Gadget_Ink, 0)

  ComboBoxGadget(#Gadget_Mode, 210, 10, 200, 24)
  For Mode = #Quill_Monochrome To #Quill_SplitComplementary
    AddGadgetItem(#Gadget_Mode, -1, ModeName(Mode))
  Next
  SetGadgetState(#Gadget_Mode, #Quill_Analogous)

  ImageGadget(#Gadget_Well, 10, 44, #Well_Width, #Well_Height, 0)
  TextGadget(#Gadget_Info, 10, #Well_Height + 56, #Well_Width, 24, "")

  DrawWell(SelectedInk(), GetGadgetState(#Gadget_Mode))

  Repeat
    Event = WaitWindowEvent()
    If Event = #PB_Event_Gadget
      Select EventGadget()
        Case #Gadget_Ink, #Gadget_Mode
          DrawWell(SelectedInk(), GetGadgetState(#Gadget_Mode))
      EndSelect
    EndIf
  Until Event = #PB_Event_CloseWindow
EndIf

End