object Finish: TForm
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
    Caption = '$TITLE$ is installed'
  end
  object NextButton: TButton
    Left = 408
    Top = 320
    Width = 80
    Height = 25
    Caption = '&Finish'
    Tag = 1
  end
end
