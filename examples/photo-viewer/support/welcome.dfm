object Welcome: TForm
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
    Caption = 'Welcome to the $TITLE$ setup'
  end
  object Intro: TLabel
    Left = 24
    Top = 64
    Width = 452
    Height = 20
    Caption = 'This wizard installs $TITLE$ $VERSION$ on your computer.'
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
