object Progress: TForm
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
    Caption = 'Installing $TITLE$'
  end
  object Bar: TProgressBar
    Left = 24
    Top = 80
    Width = 452
    Height = 20
    Tag = 1
  end
  object Step: TStaticText
    Left = 24
    Top = 112
    Width = 452
    Height = 40
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
