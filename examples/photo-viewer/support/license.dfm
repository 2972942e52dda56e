object License: TForm
  Left = 0
  Top = 0
  BorderStyle = bsSingle
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 500
  Color = clWhite
  object Heading: TLabel
    Left = 24
    Top = 24
    Width = 452
    Height = 20
    Caption = 'Licence agreement'
  end
  object LicenseText: TMemo
    Left = 24
    Top = 56
    Width = 452
    Height = 240
    ReadOnly = True
    ScrollBars = ssVertical
    Tag = 2
  end
  object BackButton: TButton
    Left = 232
    Top = 320
    Width = 80
    Height = 25
    Caption = '< &Back'
    Tag = 2
  end
  object NextButton: TButton
    Left = 320
    Top = 320
    Width = 80
    Height = 25
    Caption = '&Next >'
    Tag = 1
  end
  object CancelButton: TButton
    Left = 408
    Top = 320
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
  end
end
